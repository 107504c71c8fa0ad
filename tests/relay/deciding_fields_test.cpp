#include <gtest/gtest.h>

#include "relay/deciding_fields.h"
#include "relay_harness.h"

using Requests = std::vector<std::string>;

// A cycle that finds the log changed since a quiet cycle takes a short cut
// when only the figures changed. Whatever the change, it must send exactly
// what a relay without that memory sends for the same files.
TEST(DecidingFields, ACycleAfterAQuietOneSendsWhatAFreshLookSends) {
    const std::vector<std::string> base{Relay::order("1", "O1"), Relay::order("22", "O5", "BUYSTOP"),
                                        Relay::order("3", "O1", "SELL")};
    auto with = [&](std::size_t line, std::string text) {
        std::vector<std::string> lines = base;
        lines[line] = std::move(text);
        return Relay::join(lines);
    };
    const std::string profit = Relay::order("22", "O5", "BUYSTOP");
    std::string utf16;  // as MQL4 writes it without FILE_ANSI: no mark
    for (char c : Relay::join(base) + Relay::order("4", "O1") + "\r\n") utf16 += std::string{c, '\0'};
    struct Case {
        const char* what;
        std::string log;
    } cases[] = {
        {"a profit moved", with(1, profit.substr(0, profit.rfind(";5.5;")) + ";-17.25;1")},
        {"prices and type moved, not field 5", with(1, Relay::order("22", "O5", "SELLSTOP") + "0")},
        {"a stamp moved", with(1, Relay::order("22", "O6", "BUYSTOP"))},
        {"an order closed", with(2, Relay::order("3", "X2", "SELL"))},
        {"an order number moved", with(0, Relay::order("12", "O1"))},
        {"a field 5 grew into field 6", with(0, "20261204;f2;1001;1;O1BUY;EURUSD;0.10;1;1;1;1;1;1")},
        {"a line lost its separators", with(0, "20261204;f2;1001;1;O1")},
        {"a line became too short", with(0, "1;2;3;O")},
        {"a line became a blank-padded short one", with(0, "  1;;;;;1  ")},
        {"a line was added", Relay::join(base) + Relay::order("4", "O1") + "\r\n"},
        {"a line was dropped", Relay::join({base[0], base[1]})},
        {"the last line break is gone", Relay::join(base).substr(0, Relay::join(base).size() - 2)},
        {"lone LFs inside lines", with(2, Relay::order("3", "O1", "SELL") + "\n")},
        {"the lines end in a lone CR", "20261204;f2;1001;1;O1;BUY;E;1;1;1;1;1;1;1\r" + Relay::join({base[1], base[2]})},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + Relay::join(base)},
        {"UTF-16 without a mark", utf16},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Relay quiet, fresh;
        for (Relay* r : {&quiet, &fresh}) {
            r->writeKnown({"1;O;1", "22;O;5", "3;O;1"});
            r->writeOrders(base);
            EXPECT_EQ(r->tickAndTakeRequests(), Requests{});
            r->hp.writeFile(std::string(Relay::kFiles) + "systemorder.log", c.log);
        }
        fresh.restart();
        const Requests expected = fresh.tickAndTakeRequests();
        EXPECT_EQ(quiet.tickAndTakeRequests(), expected);
        EXPECT_EQ(quiet.known(), fresh.known());
        EXPECT_EQ(quiet.journal(), fresh.journal());
    }
    // The short cut itself: figures alone are no change, field 5 is.
    EXPECT_TRUE(kv::sameDecidingFields(Relay::join(base), cases[0].log));
    EXPECT_TRUE(kv::sameDecidingFields(Relay::join(base), cases[1].log));
    EXPECT_FALSE(kv::sameDecidingFields(Relay::join(base), cases[2].log));
}
