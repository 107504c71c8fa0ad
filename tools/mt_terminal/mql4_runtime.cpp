#define KV_MQL4_RUNTIME_IMPLEMENTATION
#include "mql4_runtime.h"

#include <cmath>

// --- account ---

int Mql4Program::AccountNumber() { return terminal_->accountNumber(); }
bool Mql4Program::IsDemo() { return terminal_->accountIsDemo(); }

// --- orders ---

int Mql4Program::OrdersTotal() { return static_cast<int>(terminal_->openOrders().size()); }
int Mql4Program::OrdersHistoryTotal() { return static_cast<int>(terminal_->history().size()); }

bool Mql4Program::OrderSelect(int index, int select, int pool) {
    if (select == SELECT_BY_TICKET) {
        for (const auto* list : {&terminal_->openOrders(), &terminal_->history()})
            for (const auto& o : *list)
                if (o.ticket == index) {
                    order_ = o;
                    return selected_ = true;
                }
    } else {
        const auto& list = pool == MODE_HISTORY ? terminal_->history() : terminal_->openOrders();
        if (index >= 0 && static_cast<size_t>(index) < list.size()) {
            order_ = list[static_cast<size_t>(index)];
            return selected_ = true;
        }
    }
    lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
    selected_ = false;
    return false;
}

bool Mql4Program::needOrder() {
    if (!selected_) lastError_ = ERR_NO_ORDER_SELECTED;
    return selected_;
}

int Mql4Program::OrderTicket() { return needOrder() ? order_.ticket : 0; }
int Mql4Program::OrderType() { return needOrder() ? order_.type : 0; }
string Mql4Program::OrderSymbol() { return needOrder() ? string(order_.symbol) : string(); }
double Mql4Program::OrderLots() { return needOrder() ? order_.lots : 0; }
double Mql4Program::OrderOpenPrice() { return needOrder() ? order_.openPrice : 0; }
double Mql4Program::OrderStopLoss() { return needOrder() ? order_.stopLoss : 0; }
double Mql4Program::OrderTakeProfit() { return needOrder() ? order_.takeProfit : 0; }
double Mql4Program::OrderProfit() { return needOrder() ? order_.profit : 0; }
double Mql4Program::OrderSwap() { return needOrder() ? order_.swap : 0; }
double Mql4Program::OrderCommission() { return needOrder() ? order_.commission : 0; }
datetime Mql4Program::OrderOpenTime() { return needOrder() ? order_.openTime : 0; }
datetime Mql4Program::OrderCloseTime() { return needOrder() ? order_.closeTime : 0; }
datetime Mql4Program::OrderExpiration() { return needOrder() ? order_.expiration : 0; }
int Mql4Program::OrderMagicNumber() { return needOrder() ? order_.magic : 0; }

// An open order shows the price it would close at, as in MT4's Trade tab.
double Mql4Program::OrderClosePrice() {
    if (!needOrder()) return 0;
    if (order_.closeTime != 0) return order_.closePrice;
    const mt4sim::Symbol* s = terminal_->symbol(order_.symbol);
    if (!s) return 0;
    bool buySide = order_.type == OP_BUY || order_.type == OP_BUYLIMIT || order_.type == OP_BUYSTOP;
    return buySide ? s->bid : s->ask;
}

// --- market ---

double Mql4Program::MarketInfo(string symbol, int type) {
    const mt4sim::Symbol* s = terminal_->symbol(symbol.bytes());
    if (!s) {
        lastError_ = ERR_UNKNOWN_SYMBOL;
        return 0;
    }
    switch (type) {
        case MODE_BID: return s->bid;
        case MODE_ASK: return s->ask;
        case MODE_POINT: return std::pow(10.0, -s->digits);
        case MODE_DIGITS: return s->digits;
        case MODE_LOTSTEP: return s->lotStep;
        default: lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE; return 0;
    }
}

// --- time ---

int Mql4Program::TimeYear(datetime time) {
    MqlDateTime t;
    TimeToStruct(time, t);
    return t.year;
}

int Mql4Program::TimeMonth(datetime time) {
    MqlDateTime t;
    TimeToStruct(time, t);
    return t.mon;
}

int Mql4Program::TimeDay(datetime time) {
    MqlDateTime t;
    TimeToStruct(time, t);
    return t.day;
}

int Mql4Program::GetLastError() {
    int error = lastError_;
    lastError_ = 0;
    return error;
}
