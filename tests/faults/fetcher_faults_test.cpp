#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

namespace {

// How a reply can fail to acknowledge, made from the correct answer.
struct BadReply {
    const char* what;
    std::function<std::optional<std::string>(const std::string& answer)> make;
};

// Field 5 of the order's other state (open for closed and back), same stamp.
std::string otherState(const std::string& answer) {
    const auto mark = answer.find(';') + 1;
    std::string other = answer;
    other[mark] = other[mark] == 'X' ? 'O' : 'X';
    return other;
}

const std::vector<BadReply> kBadReplies{
    {"time-out or refused connection", [](const std::string&) { return std::nullopt; }},
    {"error page", [](const std::string&) { return "<html><body>500 Internal Server Error</body></html>"; }},
    {"empty reply", [](const std::string&) { return ""; }},
    {"reply for another order", [](const std::string& a) { return "1" + a; }},
    {"reply for another state", otherState},
    {"reply one character short", [](const std::string& a) { return a.substr(0, a.size() - 1); }},
};

struct Event {
    const char* request;
    std::vector<std::string> before, after;  // order log lines
    const char* knownAfter;
    const char* journalAfter;
};

const std::vector<Event> kEvents{
    {"SetTD 5", {orderLine("9", "O1")}, {orderLine("9", "O1"), orderLine("5", "O1")}, "9;O;1\r\n5;O;1\r\n", ""},
    {"EditTD 9", {orderLine("9", "O1")}, {orderLine("9", "O2")}, "9;O;2\r\n", ""},
    {"CloseTD 9", {orderLine("9", "O1")}, {orderLine("9", "X2")}, "", "9;X;2\r\n"},
    {"DeleteTD 9", {orderLine("9", "O1", "SELLSTOP")}, {orderLine("9", "X2", "SELLSTOP")}, "", "9;X;2\r\n"},
};

}  // namespace

// An unacknowledged event changes nothing and is sent again, quietly, until it is answered.
TEST(FetcherFaults, UnacknowledgedEventsWaitQuietlyAndAreTakenOnceWhenAnswered) {
    for (const Event& event : kEvents) {
        for (const BadReply& bad : kBadReplies) {
            SCOPED_TRACE(std::string(event.request) + ", " + bad.what);
            Machine r;
            r.startRelaying(event.before, {"9;O;1"});
            r.writeOrders(event.after);
            const std::string knownBefore = r.known();
            r.spoil = [&](const std::string&, const std::string& answer) { return bad.make(answer); };
            for (int attempt = 0; attempt < 3; ++attempt) {
                EXPECT_EQ(r.cycle(), Requests{event.request});
                EXPECT_TRUE(r.stateFilesAre(knownBefore, ""));
                EXPECT_EQ(r.activeLog(), "");
            }
            r.spoil = nullptr;
            EXPECT_EQ(r.cycle(), Requests{event.request});
            EXPECT_TRUE(r.stateFilesAre(event.knownAfter, event.journalAfter));
            EXPECT_EQ(r.journaled(event.request), 1);
            EXPECT_EQ(r.cycle(), Requests{});
            EXPECT_EQ(r.messages(), 0);
        }
    }
}
