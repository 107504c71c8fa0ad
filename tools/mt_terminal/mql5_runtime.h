// The part of MQL5's runtime that our MQL5 expert uses, for compiling the
// .mq5 as C++ (see mql_runtime.h for what MQL4 and MQL5 share). Positions,
// pending orders, history orders and deals come from an MT5 account of the
// simulated terminal. The property identifiers are enumerations of their
// own, as in MQL5, so a deal's identifier passed for a position's does not
// compile; their numeric values are ours (MQL5 does not fix them), those of
// the values the expert compares with are MQL5's.
//
// Above each function: its MQL5 signature, as MQL5's reference gives it.
#pragma once
#ifdef KV_MQL5_RUNTIME_IMPLEMENTATION
#define KV_MQL_RUNTIME_IMPLEMENTATION
#endif
#include "mql_runtime.h"

#include <unordered_map>
#include <vector>

enum ENUM_ACCOUNT_INFO_INTEGER { ACCOUNT_LOGIN, ACCOUNT_TRADE_MODE, ACCOUNT_MARGIN_MODE };
enum ENUM_ACCOUNT_TRADE_MODE { ACCOUNT_TRADE_MODE_DEMO = 0, ACCOUNT_TRADE_MODE_CONTEST = 1, ACCOUNT_TRADE_MODE_REAL = 2 };
enum ENUM_ACCOUNT_MARGIN_MODE {
    ACCOUNT_MARGIN_MODE_RETAIL_NETTING = 0,
    ACCOUNT_MARGIN_MODE_EXCHANGE = 1,
    ACCOUNT_MARGIN_MODE_RETAIL_HEDGING = 2
};
enum ENUM_SYMBOL_INFO_INTEGER { SYMBOL_DIGITS };
enum ENUM_SYMBOL_INFO_DOUBLE { SYMBOL_BID, SYMBOL_ASK, SYMBOL_POINT, SYMBOL_VOLUME_STEP };

enum ENUM_POSITION_PROPERTY_INTEGER { POSITION_TICKET, POSITION_TIME, POSITION_TYPE, POSITION_MAGIC, POSITION_IDENTIFIER };
enum ENUM_POSITION_PROPERTY_DOUBLE { POSITION_VOLUME, POSITION_PRICE_OPEN, POSITION_SL, POSITION_TP, POSITION_PROFIT };
enum ENUM_POSITION_PROPERTY_STRING { POSITION_SYMBOL, POSITION_COMMENT };
enum ENUM_POSITION_TYPE { POSITION_TYPE_BUY = 0, POSITION_TYPE_SELL = 1 };

enum ENUM_ORDER_PROPERTY_INTEGER {
    ORDER_TICKET, ORDER_TIME_SETUP, ORDER_TYPE, ORDER_STATE, ORDER_TIME_EXPIRATION, ORDER_TIME_DONE, ORDER_MAGIC,
    ORDER_POSITION_ID
};
enum ENUM_ORDER_PROPERTY_DOUBLE { ORDER_VOLUME_INITIAL, ORDER_VOLUME_CURRENT, ORDER_PRICE_OPEN, ORDER_SL, ORDER_TP, ORDER_PRICE_CURRENT };
enum ENUM_ORDER_PROPERTY_STRING { ORDER_SYMBOL, ORDER_COMMENT };
enum ENUM_ORDER_TYPE {
    ORDER_TYPE_BUY = 0, ORDER_TYPE_SELL = 1, ORDER_TYPE_BUY_LIMIT = 2, ORDER_TYPE_SELL_LIMIT = 3, ORDER_TYPE_BUY_STOP = 4,
    ORDER_TYPE_SELL_STOP = 5, ORDER_TYPE_BUY_STOP_LIMIT = 6, ORDER_TYPE_SELL_STOP_LIMIT = 7, ORDER_TYPE_CLOSE_BY = 8
};
enum ENUM_ORDER_STATE {
    ORDER_STATE_STARTED = 0, ORDER_STATE_PLACED = 1, ORDER_STATE_CANCELED = 2, ORDER_STATE_PARTIAL = 3, ORDER_STATE_FILLED = 4,
    ORDER_STATE_REJECTED = 5, ORDER_STATE_EXPIRED = 6
};

enum ENUM_DEAL_PROPERTY_INTEGER { DEAL_TICKET, DEAL_ORDER, DEAL_TIME, DEAL_TYPE, DEAL_ENTRY, DEAL_MAGIC, DEAL_POSITION_ID };
enum ENUM_DEAL_PROPERTY_DOUBLE { DEAL_VOLUME, DEAL_PRICE, DEAL_COMMISSION, DEAL_SWAP, DEAL_PROFIT, DEAL_FEE, DEAL_SL, DEAL_TP };
enum ENUM_DEAL_PROPERTY_STRING { DEAL_SYMBOL, DEAL_COMMENT };
enum ENUM_DEAL_TYPE { DEAL_TYPE_BUY = 0, DEAL_TYPE_SELL = 1, DEAL_TYPE_BALANCE = 2 };
enum ENUM_DEAL_ENTRY { DEAL_ENTRY_IN = 0, DEAL_ENTRY_OUT = 1, DEAL_ENTRY_INOUT = 2, DEAL_ENTRY_OUT_BY = 3 };

// Runtime errors of MQL5's own functions.
const int ERR_MARKET_UNKNOWN_SYMBOL = 4301, ERR_TRADE_POSITION_NOT_FOUND = 4753, ERR_TRADE_ORDER_NOT_FOUND = 4754,
          ERR_TRADE_DEAL_NOT_FOUND = 4755;

class Mql5Program : public MqlProgram {
protected:
    // --- account and symbols ---
    // long AccountInfoInteger(ENUM_ACCOUNT_INFO_INTEGER property_id);
    long long AccountInfoInteger(ENUM_ACCOUNT_INFO_INTEGER property_id);
    // long SymbolInfoInteger(string name, ENUM_SYMBOL_INFO_INTEGER prop_id);
    long long SymbolInfoInteger(string name, ENUM_SYMBOL_INFO_INTEGER prop_id);
    // double SymbolInfoDouble(string name, ENUM_SYMBOL_INFO_DOUBLE prop_id);
    double SymbolInfoDouble(string name, ENUM_SYMBOL_INFO_DOUBLE prop_id);

    // --- open positions ---
    // int PositionsTotal();
    int PositionsTotal();
    // ulong PositionGetTicket(int index);  (selects the position; 0 when there is none)
    ulong PositionGetTicket(int index);
    // bool PositionSelectByTicket(ulong ticket);
    bool PositionSelectByTicket(ulong ticket);
    // long PositionGetInteger(ENUM_POSITION_PROPERTY_INTEGER property_id);
    long long PositionGetInteger(ENUM_POSITION_PROPERTY_INTEGER property_id);
    // double PositionGetDouble(ENUM_POSITION_PROPERTY_DOUBLE property_id);
    double PositionGetDouble(ENUM_POSITION_PROPERTY_DOUBLE property_id);
    // string PositionGetString(ENUM_POSITION_PROPERTY_STRING property_id);
    string PositionGetString(ENUM_POSITION_PROPERTY_STRING property_id);

    // --- pending orders ---
    // int OrdersTotal();
    int OrdersTotal();
    // ulong OrderGetTicket(int index);  (selects the order; 0 when there is none)
    ulong OrderGetTicket(int index);
    // long OrderGetInteger(ENUM_ORDER_PROPERTY_INTEGER property_id);
    long long OrderGetInteger(ENUM_ORDER_PROPERTY_INTEGER property_id);
    // double OrderGetDouble(ENUM_ORDER_PROPERTY_DOUBLE property_id);
    double OrderGetDouble(ENUM_ORDER_PROPERTY_DOUBLE property_id);
    // string OrderGetString(ENUM_ORDER_PROPERTY_STRING property_id);
    string OrderGetString(ENUM_ORDER_PROPERTY_STRING property_id);

    // --- history: deals and orders ---
    // bool HistorySelect(datetime from_date, datetime to_date);  (deals by their time, orders by their time done)
    bool HistorySelect(datetime from_date, datetime to_date);
    // int HistoryDealsTotal();
    int HistoryDealsTotal();
    // ulong HistoryDealGetTicket(int index);
    ulong HistoryDealGetTicket(int index);
    // long HistoryDealGetInteger(ulong ticket_number, ENUM_DEAL_PROPERTY_INTEGER property_id);
    long long HistoryDealGetInteger(ulong ticket_number, ENUM_DEAL_PROPERTY_INTEGER property_id);
    // double HistoryDealGetDouble(ulong ticket_number, ENUM_DEAL_PROPERTY_DOUBLE property_id);
    double HistoryDealGetDouble(ulong ticket_number, ENUM_DEAL_PROPERTY_DOUBLE property_id);
    // string HistoryDealGetString(ulong ticket_number, ENUM_DEAL_PROPERTY_STRING property_id);
    string HistoryDealGetString(ulong ticket_number, ENUM_DEAL_PROPERTY_STRING property_id);
    // int HistoryOrdersTotal();
    int HistoryOrdersTotal();
    // ulong HistoryOrderGetTicket(int index);
    ulong HistoryOrderGetTicket(int index);
    // long HistoryOrderGetInteger(ulong ticket_number, ENUM_ORDER_PROPERTY_INTEGER property_id);
    long long HistoryOrderGetInteger(ulong ticket_number, ENUM_ORDER_PROPERTY_INTEGER property_id);
    // double HistoryOrderGetDouble(ulong ticket_number, ENUM_ORDER_PROPERTY_DOUBLE property_id);
    double HistoryOrderGetDouble(ulong ticket_number, ENUM_ORDER_PROPERTY_DOUBLE property_id);
    // string HistoryOrderGetString(ulong ticket_number, ENUM_ORDER_PROPERTY_STRING property_id);
    string HistoryOrderGetString(ulong ticket_number, ENUM_ORDER_PROPERTY_STRING property_id);

    // int GetLastError();  (keeps the error: ResetLastError() clears it)
    int GetLastError() { return lastError_; }

private:
    // The selections copy what they select, as MT5 does.
    bool positionSelected_ = false, orderSelected_ = false;
    mt4sim::Order position_, order_;
    std::vector<mt4sim::Deal> deals_;
    std::vector<mt4sim::Order> historyOrders_;
    std::unordered_map<ulong, size_t> dealAt_, historyOrderAt_;
    const mt4sim::Deal* deal(ulong ticket);
    const mt4sim::Order* historyOrder(ulong ticket);
    long long orderInteger(const mt4sim::Order& o, ENUM_ORDER_PROPERTY_INTEGER property_id, bool history);
    double orderDouble(const mt4sim::Order& o, ENUM_ORDER_PROPERTY_DOUBLE property_id);
};
