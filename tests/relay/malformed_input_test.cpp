#include <gtest/gtest.h>

#include "relay_harness.h"

using Requests = std::vector<std::string>;

TEST(MalformedInput, ShortLinesAndMissingFields) {
    Relay r;
    r.hp.writeFile(std::string(Relay::kFiles) + "systemorder.log",
                   "   1234567   \r\n"  // 7 visible characters: skipped
                   "\r\n"
                   "12345678\r\n"       // 8: split, every field is the whole line
                   "7;8;9;10\r"         // lone CR ends a line too
                   + Relay::order("11", "O1") + "\n" + Relay::order("12", "O1") + "\r\n");
    // A lone LF is part of the line: order 12 sits in the demo field of 11.
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 12345678", "SetTD 10", "SetTD 11"}));
    ASSERT_EQ(r.manual->systemlist.size(), 3u);
    EXPECT_EQ(r.hp.service.requests[0],
              "http://svc/SetTD.do?systemid=77&accountno=12345678&orderno=12345678&ordertype=12345678"
              "&symbol=12345678&lots=12345678&openprice=12345678&stoploss=12345678&takeprofit=12345678"
              "&demo=12345678&mode=New");
}

TEST(MalformedInput, EmptyMissingAndOddStateFiles) {
    Relay r;
    r.writeOrders({});
    r.tick();  // empty log: detection runs and writes the (missing) known-order record
    EXPECT_TRUE(r.hp.exists(std::string(Relay::kFiles) + "manualorder.log"));
    EXPECT_EQ(r.known(), "");
    EXPECT_EQ(r.hp.messages.shown.size(), 0u);

    // One-character records and blank journal lines are not read.
    r.writeKnown({"x", "ab", "1;O;1"});
    r.hp.writeFile("Data/TempClose.dat", "   \r\n  2;X;1 \r\n");
    r.writeOrders({Relay::order("ab", "X1", "BUYSTOP"), Relay::order("1", "O1")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"DeleteTD ab"});
    EXPECT_EQ(r.known(), "1;O;1\r\n");
    EXPECT_EQ(r.journal(), "  2;X;1 \r\nab;X;1\r\n");
}

TEST(MalformedInput, Utf16AndByteOrderMarks) {
    Relay r;
    std::string text = Relay::join({Relay::order("1", "O1")});
    std::string utf16("\xFF\xFE", 2);
    for (char c : text) utf16 += std::string{c, '\0'};
    r.hp.writeFile(std::string(Relay::kFiles) + "SystemOrder.LOG", utf16);
    r.hp.writeFile(std::string(Relay::kFiles) + "manualorder.log", "\xEF\xBB\xBF" "9;O;1\r\n");
    r.hp.service.answer = [](const std::string&) { return std::string("1;O1\n"); };
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 1"});
    EXPECT_EQ(r.known(), "9;O;1\r\n1;O;1\r\n");  // rewritten without the mark
}

TEST(MalformedInput, LinesLongerThan32767CharactersAreKeptWhole) {
    Relay r;
    const std::string longStamp(40000, '7');
    const std::string longDemo(70000, 'd');
    std::string line = Relay::order("1", "O" + longStamp) + longDemo;
    r.writeOrders({line});
    r.hp.service.answer = [&](const std::string&) { return "1;O" + longStamp + "\n"; };
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 1"});
    EXPECT_TRUE(r.hp.service.requests[0].ends_with("&demo=1" + longDemo + "&mode=New"));
    EXPECT_EQ(r.known(), "1;O;" + longStamp + "\r\n");
    EXPECT_EQ(r.activeLog(), "\"" + r.hp.service.requests[0] + "\"\r\n");
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});  // the long record matches the long line
}
