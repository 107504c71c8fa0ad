#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

TEST(MalformedInput, ShortLinesAndMissingFields) {
    Machine r;
    r.startRelaying();
    r.write(Machine::orderFile("systemorder.log"),
                   "   1234567   \r\n"  // 7 visible characters: skipped
                   "\r\n"
                   "12345678\r\n"       // 8: split, every field is the whole line
                   "7;8;9;10\r"         // lone CR ends a line too
                   + orderLine("11", "O1") + "\n" + orderLine("12", "O1") + "\r\n");
    // A lone LF is part of the line: order 12 sits in the demo field of 11.
    EXPECT_EQ(r.cycle(), (Requests{"SetTD 12345678", "SetTD 10", "SetTD 11"}));
    ASSERT_EQ(r.program().manual().systemlist.size(), 3u);
    EXPECT_EQ(r.hp.service.requests[0],
              "http://localhost:8080/SetTD.do?systemid=12&accountno=12345678&orderno=12345678&ordertype=12345678"
              "&symbol=12345678&lots=12345678&openprice=12345678&stoploss=12345678&takeprofit=12345678"
              "&demo=12345678&mode=New");
}

TEST(MalformedInput, EmptyMissingAndOddStateFiles) {
    Machine r;
    r.startRelaying();
    r.writeOrders({});
    r.tick();  // empty log: detection runs and writes the (missing) known-order record
    EXPECT_TRUE(r.exists(Machine::orderFile("manualorder.log")));
    EXPECT_EQ(r.known(), "");
    EXPECT_EQ(r.hp.messages.shown.size(), 0u);

    // One-character records and blank journal lines are not read.
    r.writeKnown({"x", "ab", "1;O;1"});
    r.hp.writeFile("Data/TempClose.dat", "   \r\n  2;X;1 \r\n");
    r.writeOrders({orderLine("ab", "X1", "BUYSTOP"), orderLine("1", "O1")});
    EXPECT_EQ(r.cycle(), Requests{"DeleteTD ab"});
    EXPECT_EQ(r.known(), "1;O;1\r\n");
    EXPECT_EQ(r.journal(), "  2;X;1 \r\nab;X;1\r\n");
}

TEST(MalformedInput, LinesLongerThan32767CharactersAreKeptWhole) {
    Machine r;
    r.startRelaying();
    const std::string longStamp(40000, '7');
    const std::string longDemo(70000, 'd');
    std::string line = orderLine("1", "O" + longStamp) + longDemo;
    r.writeOrders({line});
    EXPECT_EQ(r.cycle(), Requests{"SetTD 1"});
    EXPECT_TRUE(r.hp.service.requests[0].ends_with("&demo=1" + longDemo + "&mode=New"));
    EXPECT_EQ(r.known(), "1;O;" + longStamp + "\r\n");
    EXPECT_EQ(r.activeLog(), "\"" + r.hp.service.requests[0] + "\"\r\n");
    EXPECT_EQ(r.cycle(), Requests{});  // the long record matches the long line
}
