// The part of MQL4's runtime that our MQL4 expert uses, for compiling the
// .mq4 as C++ (see mql_runtime.h for what MQL4 and MQL5 share). The order
// pools are the terminal's lists as the expert sees them: they move while
// the expert reads them.
#pragma once
#ifdef KV_MQL4_RUNTIME_IMPLEMENTATION
#define KV_MQL_RUNTIME_IMPLEMENTATION
#endif
#include "mql_runtime.h"

const int OP_BUY = 0, OP_SELL = 1, OP_BUYLIMIT = 2, OP_SELLLIMIT = 3, OP_BUYSTOP = 4, OP_SELLSTOP = 5;
const int SELECT_BY_POS = 0, SELECT_BY_TICKET = 1;
const int MODE_TRADES = 0, MODE_HISTORY = 1;
const int ERR_NO_ORDER_SELECTED = 4105;

class Mql4Program : public MqlProgram {
protected:
    // MQL4's delimiter is ';'.
    int FileOpen(string file_name, int open_flags, short = ';', uint = CP_ACP) { return openFile(file_name, open_flags); }

    int OrdersTotal();
    // The number of closed orders "in the account history loaded into the
    // terminal", whose size "depends on the current settings of the Account
    // history tab".
    int OrdersHistoryTotal();
    // Selecting by position gives the orders "in the sequence in which it was
    // received from the trading server"; by ticket, "the pool parameter is
    // ignored" and the close time tells which pool the order came from. The
    // order's data is copied into the program.
    bool OrderSelect(int index, int select, int pool = MODE_TRADES);
    int OrderTicket();
    int OrderType();
    string OrderSymbol();
    double OrderLots();
    double OrderOpenPrice();
    double OrderStopLoss();
    double OrderTakeProfit();
    double OrderClosePrice();  // an open order's: the price it would close at now
    double OrderProfit();
    double OrderSwap();
    double OrderCommission();
    datetime OrderOpenTime();
    datetime OrderCloseTime();
    datetime OrderExpiration();
    int OrderMagicNumber();

    // Clears the error it gives.
    int GetLastError();

private:
    bool selected_ = false;
    mtsim::Order order_;
    bool needOrder();
};
