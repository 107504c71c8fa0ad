#include <gtest/gtest.h>

#include "relay_harness.h"

using Requests = std::vector<std::string>;

TEST(OrderRoad, MarketOrderNewModifiedClosed) {
    Relay r;
    r.writeOrders({Relay::order("501", "O7")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 501"});
    EXPECT_EQ(r.hp.service.requests[0],
              "http://svc/SetTD.do?systemid=77&accountno=1001&orderno=501&ordertype=BUY&symbol=EURUSD&lots=0.10"
              "&openprice=1.1000&stoploss=1.0950&takeprofit=1.1100&demo=1&mode=New");
    EXPECT_EQ(r.known(), "501;O;7\r\n");
    EXPECT_EQ(r.activeLog(), "\"" + r.hp.service.requests[0] + "\"\r\n");
    EXPECT_EQ(r.module->reportCounter, 1);
    EXPECT_EQ(r.hp.service.fetchersCreated, 1);

    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});

    r.writeOrders({Relay::order("501", "O8")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"EditTD 501"});
    EXPECT_EQ(r.known(), "501;O;8\r\n");

    r.writeOrders({Relay::order("501", "X9")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"CloseTD 501"});
    EXPECT_EQ(r.known(), "");
    EXPECT_EQ(r.journal(), "501;X;9\r\n");
    EXPECT_EQ(r.module->reportCounter, 3);
    EXPECT_EQ(r.hp.service.fetchersCreated, 1);  // one fetcher kept for the run

    // The closed line stays in the log but the order is no longer known.
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});
    EXPECT_EQ(r.journal(), "501;X;9\r\n");
}

TEST(OrderRoad, SellClosesAndPendingOrdersAreDeleted) {
    Relay r;
    r.writeKnown({"1;O;1", "2;O;1", "3;O;1"});
    r.writeOrders({Relay::order("1", "X2", "SELL"), Relay::order("2", "X2", "BUYLIMIT"),
                   Relay::order("3", "X2", "buy")});
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"CloseTD 1", "DeleteTD 2", "DeleteTD 3"}));
    EXPECT_EQ(r.known(), "");
    EXPECT_EQ(r.journal(), "1;X;2\r\n2;X;2\r\n3;X;2\r\n");
}

TEST(OrderRoad, UnacknowledgedEventsAreSentAgainUntilAcknowledged) {
    Relay r;
    r.writeKnown({"9;O;1"});
    r.writeOrders({Relay::order("501", "O7"), Relay::order("9", "O2")});
    auto realService = r.hp.service.answer;
    for (const char* refusal : {"error", "", "5", "501;O7", "501;O7 ", "9;O2x\n"}) {
        r.hp.service.answer = [&](const std::string&) { return std::string(refusal); };
        EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 501", "EditTD 9"})) << refusal;
        EXPECT_EQ(r.known(), "9;O;1\r\n");
        EXPECT_EQ(r.activeLog(), "");
    }
    r.hp.service.answer = realService;
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 501", "EditTD 9"}));
    EXPECT_EQ(r.known(), "501;O;7\r\n9;O;2\r\n");
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});
    EXPECT_EQ(r.module->reportCounter, 2);
}

TEST(DecisionTable, EveryRowWithKnownOrders) {
    Relay r;
    r.writeKnown({"1;O;1", "2;O;1", "3;O;1", "4;O;1", "1;O;dup", "6;O;1"});
    r.writeOrders({
        Relay::order("1", "O1"),             // same mark, same stamp: nothing
        Relay::order("2", "O2"),             // same mark, new stamp: modification
        Relay::order("3", "X1", "BUY"),      // other mark, market order: close
        Relay::order("4", "P1", "SELLSTOP"), // other mark, pending order: delete
        Relay::order("5", "X1"),             // unknown and closed: dropped when read
        Relay::order("7", "O1"),             // unknown and open: new
        Relay::order("7", "O1"),             // the record just added is found: nothing
        "20261204;f2;1001;6;O1;BUY;GBPUSD;9.99;2.0;2.0;2.0;0;0;1",  // prices alone: nothing
    });
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"EditTD 2", "CloseTD 3", "DeleteTD 4", "SetTD 7"}));
    EXPECT_EQ(r.manual->systemlist.size(), 7u);
    // The modified record moved to the end, after the duplicate of order 1
    // (which no line looks at because the first record wins).
    EXPECT_EQ(r.known(), "1;O;1\r\n1;O;dup\r\n6;O;1\r\n2;O;2\r\n7;O;1\r\n");
    EXPECT_EQ(r.journal(), "3;X;1\r\n4;P;1\r\n");
}

TEST(DecisionTable, EmptyKnownListJournalsClosedLinesAndReportsTheRestAsNew) {
    Relay r;
    r.hp.writeFile("Data/TempClose.dat", " \r\n  old;X;1  \r\n");
    r.writeOrders({Relay::order("1", "O1"), Relay::order("2", "O1"), Relay::order("3", "O1")});
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 1", "SetTD 2", "SetTD 3"}));
    EXPECT_EQ(r.known(), "1;O;1\r\n2;O;1\r\n3;O;1\r\n");

    // An "X" line survives the reading step while its record exists; once the
    // first close empties the known list, it is journalled without a request.
    Relay e;
    e.writeKnown({"8;O;1"});
    e.writeOrders({Relay::order("8", "X2"), Relay::order("8", "X3")});
    EXPECT_EQ(e.tickAndTakeRequests(), Requests{"CloseTD 8"});
    EXPECT_EQ(e.journal(), "8;X;2\r\n8;X;3\r\n");
    EXPECT_EQ(r.journal(), "  old;X;1  \r\n");
}

TEST(DecisionTable, OrdersThatLeaveTheLogRaiseNothing) {
    Relay r;
    r.writeKnown({"1;O;1", "2;O;1"});
    r.writeOrders({Relay::order("2", "O1")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});
    EXPECT_EQ(r.known(), "1;O;1\r\n2;O;1\r\n");
}

TEST(IdleCycles, AnyChangedByteInTheThreeFilesIsLookedAtAgain) {
    Relay r;
    r.writeKnown({"1;O;1", "2;O;1"});
    r.writeOrders({Relay::order("1", "O1"), Relay::order("2", "O1")});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.tickAndTakeRequests(), Requests{});
    EXPECT_EQ(r.manual->systemlist.size(), 2u);  // the tables stay as the last look left them

    r.writeKnown({"1;O;1"});  // only the known-order record changed
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 2"});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});
    r.hp.writeFile("Data/TempClose.dat", " \r\n");  // only the journal changed
    r.tick();
    EXPECT_EQ(r.journal(), "");
    EXPECT_EQ(r.hp.service.requests.size(), 0u);

    r.tick();
    r.manual->unload();  // a new load empties the tables: the next tick fills them again
    r.tick();
    EXPECT_EQ(r.manual->manuallist, (std::vector<std::string>{"1;O;1", "2;O;1"}));
}
