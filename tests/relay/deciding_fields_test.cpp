#include <gtest/gtest.h>

#include "relay/deciding_fields.h"
#include "support/machine.h"

using namespace kvtest;
using kv::platform::joinLines;

// The short cut after a quiet cycle must send what a relay without that memory sends.
TEST(DecidingFields, ACycleAfterAQuietOneSendsWhatAFreshLookSends) {
    const std::vector<std::string> base{orderLine("1", "O1"), orderLine("22", "O5", "BUYSTOP"),
                                        orderLine("3", "O1", "SELL")};
    auto with = [&](std::size_t line, std::string text) {
        std::vector<std::string> lines = base;
        lines[line] = std::move(text);
        return joinLines(lines);
    };
    const std::string profit = orderLine("22", "O5", "BUYSTOP");
    const std::string utf16 = utf16WithMark(joinLines(base) + orderLine("4", "O1") + "\r\n").substr(2);
    struct Case {
        const char* what;
        std::string log;
    } cases[] = {
        {"a profit moved", with(1, profit.substr(0, profit.rfind(";5.5;")) + ";-17.25;1")},
        {"prices and type moved, not field 5", with(1, orderLine("22", "O5", "SELLSTOP") + "0")},
        {"a stamp moved", with(1, orderLine("22", "O6", "BUYSTOP"))},
        {"an order closed", with(2, orderLine("3", "X2", "SELL"))},
        {"an order number moved", with(0, orderLine("12", "O1"))},
        {"a field 5 grew into field 6", with(0, "20261204;f2;1001;1;O1BUY;EURUSD;0.10;1;1;1;1;1;1")},
        {"a line lost its separators", with(0, "20261204;f2;1001;1;O1")},
        {"a line became too short", with(0, "1;2;3;O")},
        {"a line became a blank-padded short one", with(0, "  1;;;;;1  ")},
        {"a line was added", joinLines(base) + orderLine("4", "O1") + "\r\n"},
        {"a line was dropped", joinLines({base[0], base[1]})},
        {"the last line break is gone", joinLines(base).substr(0, joinLines(base).size() - 2)},
        {"lone LFs inside lines", with(2, orderLine("3", "O1", "SELL") + "\n")},
        {"the lines end in a lone CR", "20261204;f2;1001;1;O1;BUY;E;1;1;1;1;1;1;1\r" + joinLines({base[1], base[2]})},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + joinLines(base)},
        {"UTF-16 without a mark", utf16},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine quiet, fresh;
        for (Machine* r : {&quiet, &fresh}) {
            r->startRelaying(base, {"1;O;1", "22;O;5", "3;O;1"});
            EXPECT_EQ(r->cycle(), Requests{});
            r->write(Machine::orderFile("systemorder.log"), c.log);
        }
        fresh.startLoggedIn();
        const Requests expected = fresh.cycle();
        EXPECT_EQ(quiet.cycle(), expected);
        EXPECT_EQ(quiet.known(), fresh.known());
        EXPECT_EQ(quiet.journal(), fresh.journal());
    }
    // The short cut itself: figures alone are no change, field 5 is.
    EXPECT_TRUE(kv::sameDecidingFields(joinLines(base), cases[0].log));
    EXPECT_TRUE(kv::sameDecidingFields(joinLines(base), cases[1].log));
    EXPECT_FALSE(kv::sameDecidingFields(joinLines(base), cases[2].log));
}
