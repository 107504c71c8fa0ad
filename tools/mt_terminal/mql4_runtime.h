// The part of MQL4's runtime that our MQL4 expert uses, for compiling the
// .mq4 as C++ (see mql_runtime.h for what MQL4 and MQL5 share).
//
// Above each function: its MQL4 signature, as MQL4's reference gives it.
#pragma once
#ifdef KV_MQL4_RUNTIME_IMPLEMENTATION
#define KV_MQL_RUNTIME_IMPLEMENTATION
#endif
#include "mql_runtime.h"

// Order types and selection.
const int OP_BUY = 0, OP_SELL = 1, OP_BUYLIMIT = 2, OP_SELLLIMIT = 3, OP_BUYSTOP = 4, OP_SELLSTOP = 5;
const int SELECT_BY_POS = 0, SELECT_BY_TICKET = 1;
const int MODE_TRADES = 0, MODE_HISTORY = 1;
// MarketInfo() identifiers.
const int MODE_BID = 9, MODE_ASK = 10, MODE_POINT = 11, MODE_DIGITS = 12, MODE_LOTSTEP = 24;
// Runtime errors of MQL4's own functions.
const int ERR_UNKNOWN_SYMBOL = 4106, ERR_NO_ORDER_SELECTED = 4105;

class Mql4Program : public MqlProgram {
protected:
    // --- account ---
    // int AccountNumber();
    int AccountNumber();
    // bool IsDemo();
    bool IsDemo();

    // --- orders ---
    // int OrdersTotal();
    int OrdersTotal();
    // int OrdersHistoryTotal();
    int OrdersHistoryTotal();
    // bool OrderSelect(int index, int select, int pool=MODE_TRADES);
    bool OrderSelect(int index, int select, int pool = MODE_TRADES);
    // int OrderTicket();
    int OrderTicket();
    // int OrderType();
    int OrderType();
    // string OrderSymbol();
    string OrderSymbol();
    // double OrderLots();
    double OrderLots();
    // double OrderOpenPrice();
    double OrderOpenPrice();
    // double OrderStopLoss();
    double OrderStopLoss();
    // double OrderTakeProfit();
    double OrderTakeProfit();
    // double OrderClosePrice();
    double OrderClosePrice();
    // double OrderProfit();
    double OrderProfit();
    // double OrderSwap();
    double OrderSwap();
    // double OrderCommission();
    double OrderCommission();
    // datetime OrderOpenTime();
    datetime OrderOpenTime();
    // datetime OrderCloseTime();
    datetime OrderCloseTime();
    // datetime OrderExpiration();
    datetime OrderExpiration();
    // int OrderMagicNumber();
    int OrderMagicNumber();

    // --- market ---
    // double MarketInfo(string symbol, int type);
    double MarketInfo(string symbol, int type);

    // int TimeYear(datetime time);
    int TimeYear(datetime time);
    // int TimeMonth(datetime time);
    int TimeMonth(datetime time);
    // int TimeDay(datetime time);
    int TimeDay(datetime time);
    // int GetLastError();  (clears the error it gives)
    int GetLastError();

private:
    bool selected_ = false;
    mt4sim::Order order_;  // OrderSelect() copies the order, as MT4 does
    bool needOrder();
};
