#define KV_MQL4_RUNTIME_IMPLEMENTATION
#include "mql4_runtime.h"

int Mql4Program::OrdersTotal() {
    call();
    return static_cast<int>(terminal_->shownMt4().open.size());
}

int Mql4Program::OrdersHistoryTotal() {
    call();
    return static_cast<int>(terminal_->shownMt4().history.size());
}

bool Mql4Program::OrderSelect(int index, int select, int pool) {
    call();
    const mtsim::Mt4Lists& lists = terminal_->shownMt4();
    const mtsim::Order* found = nullptr;
    if (select == SELECT_BY_TICKET) {
        for (const mtsim::Order& o : lists.open)
            if (o.ticket == index) found = &o;
        auto it = lists.historyAt.find(index);
        if (!found && it != lists.historyAt.end()) found = &lists.history[it->second];
    } else {
        const auto& list = pool == MODE_HISTORY ? lists.history : lists.open;
        if (index >= 0 && static_cast<size_t>(index) < list.size()) found = &list[static_cast<size_t>(index)];
    }
    selected_ = found != nullptr;
    if (found)
        order_ = *found;
    else
        lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
    return selected_;
}

bool Mql4Program::needOrder() {
    if (!selected_) lastError_ = ERR_NO_ORDER_SELECTED;
    return selected_;
}

int Mql4Program::OrderTicket() { return needOrder() ? order_.ticket : 0; }
int Mql4Program::OrderType() { return needOrder() ? static_cast<int>(order_.type) : 0; }
string Mql4Program::OrderSymbol() { return needOrder() ? string(order_.symbol.c_str()) : string(); }
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

double Mql4Program::OrderClosePrice() {
    if (!needOrder()) return 0;
    if (order_.closeTime != 0) return order_.closePrice;
    const mtsim::Symbol* s = terminal_->symbol(order_.symbol);
    if (!s) return 0;
    return mtsim::isBuySide(order_.type) ? s->bid : s->ask;
}

int Mql4Program::GetLastError() {
    int error = lastError_;
    lastError_ = 0;
    return error;
}
