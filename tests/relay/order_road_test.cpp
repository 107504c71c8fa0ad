#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

TEST(DecisionTable, EveryRowWithKnownOrders) {
    Machine r;
    r.startRelaying();
    r.writeKnown({"1;O;1", "2;O;1", "3;O;1", "4;O;1", "1;O;dup", "6;O;1", "9;O;1", "10;O;1", "11;O;1"});
    r.writeOrders({
        orderLine("1", "O1"),             // same mark, same stamp: nothing
        orderLine("2", "O2"),             // same mark, new stamp: modification
        orderLine("3", "X1", "BUY"),      // other mark, market order: close
        orderLine("4", "P1", "SELLSTOP"), // other mark, pending order: delete
        orderLine("10", "X1", "SELL"),    // a market order too: close
        orderLine("11", "X1", "buy"),     // only upper-case types are market orders: delete
        orderLine("5", "X1"),             // unknown and closed: dropped when read
        orderLine("7", "O1"),             // unknown and open: new
        orderLine("7", "O1"),             // the record just added is found: nothing
        "20261204;f2;1001;6;O1;BUY;GBPUSD;9.99;2.0;2.0;2.0;0;0;1",  // prices alone: nothing
    });  // 9 has left the log: nothing
    EXPECT_EQ(r.cycle(), (Requests{"EditTD 2", "CloseTD 3", "DeleteTD 4", "CloseTD 10", "DeleteTD 11", "SetTD 7"}));
    EXPECT_EQ(r.program().manual().systemlist.size(), 9u);
    EXPECT_EQ(r.hp.service.fetchersCreated, 2);  // the login's, and the relay's kept for the run
    // The modified record goes to the end; the duplicate of 1 stays, as the first record wins.
    EXPECT_EQ(r.known(), "1;O;1\r\n1;O;dup\r\n6;O;1\r\n9;O;1\r\n2;O;2\r\n7;O;1\r\n");
    EXPECT_EQ(r.journal(), "3;X;1\r\n4;P;1\r\n10;X;1\r\n11;X;1\r\n");
}

// Once the first close empties the known list, the next "X" line is journaled unsent.
TEST(DecisionTable, AnEmptyKnownListJournalsClosedLinesUnsent) {
    Machine r;
    r.startRelaying({orderLine("8", "X2"), orderLine("8", "X3")}, {"8;O;1"});
    EXPECT_EQ(r.cycle(), Requests{"CloseTD 8"});
    EXPECT_EQ(r.journal(), "8;X;2\r\n8;X;3\r\n");
}
