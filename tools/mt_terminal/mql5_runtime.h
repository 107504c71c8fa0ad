// The part of MQL5's runtime that our MQL5 expert uses, for compiling the
// .mq5 as C++ (see mql_runtime.h for what MQL4 and MQL5 share). Positions,
// active and history orders and deals come from an MT5 account of the
// simulated terminal, as the expert sees them. The property identifiers are
// enumerations of their own, as in MQL5, so a deal's identifier passed for
// a position's does not compile; their numeric values are ours (MQL5 does
// not fix them), those of the values the expert compares with are MQL5's.
#pragma once
#ifdef KV_MQL5_RUNTIME_IMPLEMENTATION
#define KV_MQL_RUNTIME_IMPLEMENTATION
#endif
#include "mql_runtime.h"

#include <unordered_map>
#include <vector>

enum ENUM_POSITION_PROPERTY_INTEGER { POSITION_TICKET, POSITION_TIME, POSITION_TYPE, POSITION_MAGIC, POSITION_IDENTIFIER };
enum ENUM_POSITION_PROPERTY_DOUBLE { POSITION_VOLUME, POSITION_PRICE_OPEN, POSITION_SL, POSITION_TP };
enum ENUM_POSITION_PROPERTY_STRING { POSITION_SYMBOL };
enum ENUM_POSITION_TYPE { POSITION_TYPE_BUY = 0, POSITION_TYPE_SELL = 1 };

enum ENUM_ORDER_PROPERTY_INTEGER {
    ORDER_TICKET, ORDER_TIME_SETUP, ORDER_TYPE, ORDER_STATE, ORDER_TIME_EXPIRATION, ORDER_TIME_DONE, ORDER_MAGIC,
    ORDER_POSITION_ID
};
enum ENUM_ORDER_PROPERTY_DOUBLE { ORDER_VOLUME_INITIAL, ORDER_VOLUME_CURRENT, ORDER_PRICE_OPEN, ORDER_SL, ORDER_TP, ORDER_PRICE_CURRENT };
enum ENUM_ORDER_PROPERTY_STRING { ORDER_SYMBOL };
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
enum ENUM_DEAL_PROPERTY_STRING { DEAL_SYMBOL };
enum ENUM_DEAL_TYPE { DEAL_TYPE_BUY = 0, DEAL_TYPE_SELL = 1, DEAL_TYPE_BALANCE = 2 };
enum ENUM_DEAL_ENTRY { DEAL_ENTRY_IN = 0, DEAL_ENTRY_OUT = 1, DEAL_ENTRY_INOUT = 2, DEAL_ENTRY_OUT_BY = 3 };

// What OnTradeTransaction() receives; our expert reads none of it.
struct MqlTradeTransaction {
    ulong deal, order;
    int type;
};
struct MqlTradeRequest {
    int action;
};
struct MqlTradeResult {
    uint retcode;
};

const int ERR_TRADE_POSITION_NOT_FOUND = 4753, ERR_TRADE_ORDER_NOT_FOUND = 4754, ERR_TRADE_DEAL_NOT_FOUND = 4755;

class Mql5Program : public MqlProgram {
public:
    void trade() override { OnTradeTransaction(MqlTradeTransaction{}, MqlTradeRequest{}, MqlTradeResult{}); }
    virtual void OnTradeTransaction(const MqlTradeTransaction&, const MqlTradeRequest&, const MqlTradeResult&) {}

protected:
    // MQL5's delimiter is a tab.
    int FileOpen(string file_name, int open_flags, short = '\t', uint = CP_ACP) { return openFile(file_name, open_flags); }

    int PositionsTotal();
    ulong PositionGetTicket(int index);  // selects the position; 0 when there is none
    long long PositionGetInteger(ENUM_POSITION_PROPERTY_INTEGER property_id);
    double PositionGetDouble(ENUM_POSITION_PROPERTY_DOUBLE property_id);
    string PositionGetString(ENUM_POSITION_PROPERTY_STRING property_id);

    int OrdersTotal();  // pending orders and "market orders that have not yet been executed"
    ulong OrderGetTicket(int index);  // selects the order; 0 when there is none
    long long OrderGetInteger(ENUM_ORDER_PROPERTY_INTEGER property_id);
    double OrderGetDouble(ENUM_ORDER_PROPERTY_DOUBLE property_id);
    string OrderGetString(ENUM_ORDER_PROPERTY_STRING property_id);

    // The history cache: deals by their time, orders by their time done;
    // or the deals and orders of one position. Each call replaces it.
    bool HistorySelect(datetime from_date, datetime to_date);
    bool HistorySelectByPosition(long position_id);
    int HistoryDealsTotal();
    ulong HistoryDealGetTicket(int index);
    long long HistoryDealGetInteger(ulong ticket_number, ENUM_DEAL_PROPERTY_INTEGER property_id);
    double HistoryDealGetDouble(ulong ticket_number, ENUM_DEAL_PROPERTY_DOUBLE property_id);
    string HistoryDealGetString(ulong ticket_number, ENUM_DEAL_PROPERTY_STRING property_id);
    int HistoryOrdersTotal();
    ulong HistoryOrderGetTicket(int index);
    long long HistoryOrderGetInteger(ulong ticket_number, ENUM_ORDER_PROPERTY_INTEGER property_id);
    double HistoryOrderGetDouble(ulong ticket_number, ENUM_ORDER_PROPERTY_DOUBLE property_id);
    string HistoryOrderGetString(ulong ticket_number, ENUM_ORDER_PROPERTY_STRING property_id);

    // Keeps the error: ResetLastError() clears it.
    int GetLastError() { return lastError_; }

private:
    // The selections copy what they select.
    bool positionSelected_ = false, orderSelected_ = false;
    mtsim::Position position_;
    mtsim::Mt5Order order_;
    std::vector<mtsim::Deal> deals_;
    std::vector<mtsim::Mt5Order> historyOrders_;
    std::unordered_map<ulong, size_t> historyOrderAt_;  // built when first asked
    void cache(std::vector<mtsim::Deal> deals, std::vector<mtsim::Mt5Order> orders);
    std::vector<mtsim::Deal> listed(std::vector<mtsim::Deal> deals) const;  // those the history lists by now
    const mtsim::Deal* deal(ulong ticket);
    const mtsim::Mt5Order* historyOrder(ulong ticket);
    long long orderInteger(const mtsim::Mt5Order& o, ENUM_ORDER_PROPERTY_INTEGER property_id);
    double orderDouble(const mtsim::Mt5Order& o, ENUM_ORDER_PROPERTY_DOUBLE property_id);
};
