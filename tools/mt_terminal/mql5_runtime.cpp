#define KV_MQL5_RUNTIME_IMPLEMENTATION
#include "mql5_runtime.h"

#include <cmath>

namespace {

bool isPosition(const mt4sim::Order& o) { return o.type == mt4sim::Buy || o.type == mt4sim::Sell; }

// The index-th position (or pending order) among the account's open orders.
const mt4sim::Order* nth(const std::vector<mt4sim::Order>& open, int index, bool positions) {
    for (const auto& o : open)
        if (isPosition(o) == positions && index-- == 0) return &o;
    return nullptr;
}

}  // namespace

// --- account and symbols ---

long long Mql5Program::AccountInfoInteger(ENUM_ACCOUNT_INFO_INTEGER property_id) {
    switch (property_id) {
        case ACCOUNT_LOGIN: return terminal_->accountNumber();
        case ACCOUNT_TRADE_MODE: return terminal_->accountIsDemo() ? ACCOUNT_TRADE_MODE_DEMO : ACCOUNT_TRADE_MODE_REAL;
        case ACCOUNT_MARGIN_MODE:
            return terminal_->accountMode() == mt4sim::AccountMode::Netting ? ACCOUNT_MARGIN_MODE_RETAIL_NETTING
                                                                            : ACCOUNT_MARGIN_MODE_RETAIL_HEDGING;
    }
    lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
    return 0;
}

long long Mql5Program::SymbolInfoInteger(string name, ENUM_SYMBOL_INFO_INTEGER prop_id) {
    const mt4sim::Symbol* s = terminal_->symbol(name.bytes());
    if (!s) {
        lastError_ = ERR_MARKET_UNKNOWN_SYMBOL;
        return 0;
    }
    (void)prop_id;  // SYMBOL_DIGITS, the one identifier here
    return s->digits;
}

double Mql5Program::SymbolInfoDouble(string name, ENUM_SYMBOL_INFO_DOUBLE prop_id) {
    const mt4sim::Symbol* s = terminal_->symbol(name.bytes());
    if (!s) {
        lastError_ = ERR_MARKET_UNKNOWN_SYMBOL;
        return 0;
    }
    switch (prop_id) {
        case SYMBOL_BID: return s->bid;
        case SYMBOL_ASK: return s->ask;
        case SYMBOL_POINT: return std::pow(10.0, -s->digits);
        case SYMBOL_VOLUME_STEP: return s->lotStep;
    }
    return 0;
}

// --- open positions ---

int Mql5Program::PositionsTotal() {
    int n = 0;
    for (const auto& o : terminal_->openOrders()) n += isPosition(o) ? 1 : 0;
    return n;
}

ulong Mql5Program::PositionGetTicket(int index) {
    const mt4sim::Order* o = nth(terminal_->openOrders(), index, true);
    positionSelected_ = o != nullptr;
    if (!o) {
        lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
        return 0;
    }
    position_ = *o;
    return static_cast<ulong>(o->line != 0 ? o->line : o->ticket);
}

bool Mql5Program::PositionSelectByTicket(ulong ticket) {
    for (const auto& o : terminal_->openOrders())
        if (isPosition(o) && static_cast<ulong>(o.line != 0 ? o.line : o.ticket) == ticket) {
            position_ = o;
            return positionSelected_ = true;
        }
    lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
    return positionSelected_ = false;
}

long long Mql5Program::PositionGetInteger(ENUM_POSITION_PROPERTY_INTEGER property_id) {
    if (!positionSelected_) {
        lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
        return 0;
    }
    switch (property_id) {
        // A netting reversal gives the position the reversing order's
        // ticket; its identifier stays the opening order's.
        case POSITION_TICKET: return position_.line != 0 ? position_.line : position_.ticket;
        case POSITION_IDENTIFIER: return position_.ticket;
        case POSITION_TIME: return position_.openTime;
        case POSITION_TYPE: return position_.type == mt4sim::Buy ? POSITION_TYPE_BUY : POSITION_TYPE_SELL;
        case POSITION_MAGIC: return position_.magic;
    }
    return 0;
}

double Mql5Program::PositionGetDouble(ENUM_POSITION_PROPERTY_DOUBLE property_id) {
    if (!positionSelected_) {
        lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
        return 0;
    }
    switch (property_id) {
        case POSITION_VOLUME: return position_.lots;
        case POSITION_PRICE_OPEN: return position_.openPrice;
        case POSITION_SL: return position_.stopLoss;
        case POSITION_TP: return position_.takeProfit;
        case POSITION_PROFIT: return position_.profit;
    }
    return 0;
}

string Mql5Program::PositionGetString(ENUM_POSITION_PROPERTY_STRING property_id) {
    if (!positionSelected_) {
        lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
        return string();
    }
    return string(property_id == POSITION_SYMBOL ? position_.symbol : position_.comment);
}

// --- pending orders ---

int Mql5Program::OrdersTotal() { return static_cast<int>(terminal_->openOrders().size()) - PositionsTotal(); }

ulong Mql5Program::OrderGetTicket(int index) {
    const mt4sim::Order* o = nth(terminal_->openOrders(), index, false);
    orderSelected_ = o != nullptr;
    if (!o) {
        lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
        return 0;
    }
    order_ = *o;
    return static_cast<ulong>(o->ticket);
}

long long Mql5Program::orderInteger(const mt4sim::Order& o, ENUM_ORDER_PROPERTY_INTEGER property_id, bool history) {
    switch (property_id) {
        case ORDER_TICKET: return o.ticket;
        case ORDER_TIME_SETUP: return o.openTime;
        case ORDER_TYPE: return o.type;  // MT4's and MT5's order types agree on 0..5
        case ORDER_STATE: return history ? o.state : ORDER_STATE_PLACED;
        case ORDER_TIME_EXPIRATION: return o.expiration;
        case ORDER_TIME_DONE: return history ? o.closeTime : 0;
        case ORDER_MAGIC: return o.magic;
        case ORDER_POSITION_ID: return history ? o.positionId : 0;
    }
    return 0;
}

double Mql5Program::orderDouble(const mt4sim::Order& o, ENUM_ORDER_PROPERTY_DOUBLE property_id) {
    switch (property_id) {
        case ORDER_VOLUME_INITIAL:
        case ORDER_VOLUME_CURRENT: return o.lots;
        case ORDER_PRICE_OPEN: return o.openPrice;
        case ORDER_SL: return o.stopLoss;
        case ORDER_TP: return o.takeProfit;
        case ORDER_PRICE_CURRENT: return o.closePrice;
    }
    return 0;
}

long long Mql5Program::OrderGetInteger(ENUM_ORDER_PROPERTY_INTEGER property_id) {
    if (!orderSelected_) lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    return orderSelected_ ? orderInteger(order_, property_id, false) : 0;
}

double Mql5Program::OrderGetDouble(ENUM_ORDER_PROPERTY_DOUBLE property_id) {
    if (!orderSelected_) lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    return orderSelected_ ? orderDouble(order_, property_id) : 0;
}

string Mql5Program::OrderGetString(ENUM_ORDER_PROPERTY_STRING property_id) {
    if (!orderSelected_) lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    if (!orderSelected_) return string();
    return string(property_id == ORDER_SYMBOL ? order_.symbol : order_.comment);
}

// --- history ---

bool Mql5Program::HistorySelect(datetime from_date, datetime to_date) {
    deals_.clear();
    historyOrders_.clear();
    dealAt_.clear();
    historyOrderAt_.clear();
    if (terminal_->accountMode() == mt4sim::AccountMode::Mt4) return true;  // an MT4 account has no deals
    for (const auto& d : terminal_->deals())
        if (d.time >= from_date && d.time <= to_date) {
            dealAt_[static_cast<ulong>(d.ticket)] = deals_.size();
            deals_.push_back(d);
        }
    for (const auto& o : terminal_->history())
        if (o.closeTime >= from_date && o.closeTime <= to_date) {
            historyOrderAt_[static_cast<ulong>(o.ticket)] = historyOrders_.size();
            historyOrders_.push_back(o);
        }
    return true;
}

int Mql5Program::HistoryDealsTotal() { return static_cast<int>(deals_.size()); }
int Mql5Program::HistoryOrdersTotal() { return static_cast<int>(historyOrders_.size()); }

ulong Mql5Program::HistoryDealGetTicket(int index) {
    if (index < 0 || static_cast<size_t>(index) >= deals_.size()) {
        lastError_ = ERR_TRADE_DEAL_NOT_FOUND;
        return 0;
    }
    return static_cast<ulong>(deals_[static_cast<size_t>(index)].ticket);
}

ulong Mql5Program::HistoryOrderGetTicket(int index) {
    if (index < 0 || static_cast<size_t>(index) >= historyOrders_.size()) {
        lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
        return 0;
    }
    return static_cast<ulong>(historyOrders_[static_cast<size_t>(index)].ticket);
}

const mt4sim::Deal* Mql5Program::deal(ulong ticket) {
    auto it = dealAt_.find(ticket);
    if (it != dealAt_.end()) return &deals_[it->second];
    lastError_ = ERR_TRADE_DEAL_NOT_FOUND;
    return nullptr;
}

const mt4sim::Order* Mql5Program::historyOrder(ulong ticket) {
    auto it = historyOrderAt_.find(ticket);
    if (it != historyOrderAt_.end()) return &historyOrders_[it->second];
    lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    return nullptr;
}

long long Mql5Program::HistoryDealGetInteger(ulong ticket_number, ENUM_DEAL_PROPERTY_INTEGER property_id) {
    const mt4sim::Deal* d = deal(ticket_number);
    if (!d) return 0;
    switch (property_id) {
        case DEAL_TICKET: return d->ticket;
        case DEAL_ORDER: return d->order;
        case DEAL_TIME: return d->time;
        case DEAL_TYPE: return d->type == mt4sim::Buy ? DEAL_TYPE_BUY : d->type == mt4sim::Sell ? DEAL_TYPE_SELL : DEAL_TYPE_BALANCE;
        case DEAL_ENTRY: return d->entry;  // the simulated terminal numbers entries as MQL5 does
        case DEAL_MAGIC: return d->magic;
        case DEAL_POSITION_ID: return d->positionId;
    }
    return 0;
}

double Mql5Program::HistoryDealGetDouble(ulong ticket_number, ENUM_DEAL_PROPERTY_DOUBLE property_id) {
    const mt4sim::Deal* d = deal(ticket_number);
    if (!d) return 0;
    switch (property_id) {
        case DEAL_VOLUME: return d->volume;
        case DEAL_PRICE: return d->price;
        case DEAL_COMMISSION: return d->commission;
        case DEAL_SWAP: return d->swap;
        case DEAL_PROFIT: return d->profit;
        case DEAL_FEE: return d->fee;
        case DEAL_SL: return d->stopLoss;
        case DEAL_TP: return d->takeProfit;
    }
    return 0;
}

string Mql5Program::HistoryDealGetString(ulong ticket_number, ENUM_DEAL_PROPERTY_STRING property_id) {
    const mt4sim::Deal* d = deal(ticket_number);
    return d && property_id == DEAL_SYMBOL ? string(d->symbol) : string();
}

long long Mql5Program::HistoryOrderGetInteger(ulong ticket_number, ENUM_ORDER_PROPERTY_INTEGER property_id) {
    const mt4sim::Order* o = historyOrder(ticket_number);
    return o ? orderInteger(*o, property_id, true) : 0;
}

double Mql5Program::HistoryOrderGetDouble(ulong ticket_number, ENUM_ORDER_PROPERTY_DOUBLE property_id) {
    const mt4sim::Order* o = historyOrder(ticket_number);
    return o ? orderDouble(*o, property_id) : 0;
}

string Mql5Program::HistoryOrderGetString(ulong ticket_number, ENUM_ORDER_PROPERTY_STRING property_id) {
    const mt4sim::Order* o = historyOrder(ticket_number);
    if (!o) return string();
    return string(property_id == ORDER_SYMBOL ? o->symbol : o->comment);
}
