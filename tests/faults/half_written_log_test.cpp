#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

// A last line cut short ("EUR") would be acknowledged with wrong values, field 5
// being whole: it waits for the next cycle.
TEST(HalfWrittenLog, ALineStillBeingWrittenWaitsForTheNextCycle) {
    const std::string line8 = orderLine("8", "O2") + "\r\n";
    const std::string line7 = orderLine("7", "O1", "BUYSTOP") + "\r\n";
    const std::string cut7 = line7.substr(0, line7.find("EUR") + 3);
    struct Case {
        const char* what;
        std::string whole, halfWritten;
    };
    const std::vector<Case> cases{
        {"a new order cut in its symbol", line8 + line7, line8 + cut7},
        {"a lone LF at the end, which ends no line", line8 + line7, line8 + cut7 + "\n"},
        {"a UTF-16 log without its mark", utf16WithMark(line8 + line7).substr(2),
         utf16WithMark(line8 + cut7).substr(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine r;
        r.startRelaying({}, {"8;O;2"});
        r.write(r.orderFile("systemorder.log"), c.halfWritten);
        EXPECT_EQ(r.cycle(), Requests{}) << "the half-written line was reported";
        r.write(r.orderFile("systemorder.log"), c.whole);
        ASSERT_EQ(r.cycle(), Requests{"SetTD 7"});
        EXPECT_NE(r.hp.service.requests.back().find("&ordertype=BUYSTOP&symbol=EURUSD&"), std::string::npos);
    }

    // Caught between the CR and the LF of its last line, the log is whole, in 8-bit text as in UTF-16LE.
    const std::string upToCr = line8.substr(0, line8.size() - 1);
    for (const std::string& log : {upToCr, utf16WithMark(upToCr)}) {
        Machine r;
        r.startRelaying({}, {"8;O;1"});
        r.write(r.orderFile("systemorder.log"), log);
        EXPECT_EQ(r.cycle(), Requests{"EditTD 8"});
    }
}

// An expert that never ends its last line must still be heard.
TEST(HalfWrittenLog, ALastLineThatStaysUnfinishedIsReportedOneCycleLate) {
    Machine r;
    r.startRelaying({}, {"8;O;2"});
    const std::string log = orderLine("8", "O2") + "\r\n" + orderLine("7", "O1", "BUYSTOP");
    r.write(r.orderFile("systemorder.log"), log);
    EXPECT_EQ(r.cycle(), Requests{});
    EXPECT_EQ(r.cycle(), Requests{"SetTD 7"});
    EXPECT_EQ(r.cycle(), Requests{});
    EXPECT_EQ(r.journaled("SetTD 7"), 1);
    // A write that died before the last field stays cut short: none of it is ever sent.
    const std::string line6 = orderLine("6", "O1", "BUYSTOP");
    r.write(r.orderFile("systemorder.log"), orderLine("8", "O2") + "\r\n" + line6.substr(0, line6.rfind(';') + 1));
    for (int cycle = 0; cycle < 3; ++cycle) EXPECT_EQ(r.cycle(), Requests{});
    EXPECT_EQ(r.journaled("SetTD 6"), 0);
}

// One memory for both: moving figures alone do not restart the wait, a changed stamp does.
TEST(HalfWrittenLog, TheRebuildAndTheCyclesShareTheWaitForAnUnfinishedLine) {
    const std::string yesterday = "20261204", today = "20261205";
    const auto withProfit = [](std::string line, const std::string& profit) {
        return line.replace(line.rfind(";5.5;"), 5, ";" + profit + ";");
    };
    Machine m;
    m.write("Data/TempInit.dat", yesterday + "\r\n");
    const std::string whole = orderLine("1", "O1", "BUY", yesterday) + "\r\n";
    m.write(m.orderFile("systemorder.log"), whole + orderLine("2", "O1", "BUY", today));
    m.start();
    ASSERT_TRUE(m.logIn());
    m.tick();
    EXPECT_EQ(m.read("Data/TempInit.dat"), today + "\r\n");
    EXPECT_EQ(m.sent, Requests{"SetTD 2"});

    Machine n;
    n.write("Data/TempInit.dat", yesterday + "\r\n");
    const std::string moving = orderLine("3", "O1", "SELL", yesterday);
    n.write(n.orderFile("systemorder.log"), whole + withProfit(moving, "1.5"));
    n.start();
    ASSERT_TRUE(n.logIn());
    n.write(n.orderFile("systemorder.log"), whole + withProfit(moving, "2.5"));
    n.tick();
    EXPECT_EQ(n.known(), "1;O;1\r\n3;O;1\r\n");
    n.write(n.orderFile("systemorder.log"), whole + withProfit(orderLine("3", "O2", "SELL", yesterday), "3.5"));
    EXPECT_EQ(n.cycle(), Requests{}) << "a changed stamp waits again";
    EXPECT_EQ(n.cycle(), Requests{"EditTD 3"});
}
