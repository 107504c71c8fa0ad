#define KV_MQL5_RUNTIME_IMPLEMENTATION
#include "mql5_runtime.h"

#include <algorithm>

// --- open positions ---

int Mql5Program::PositionsTotal() {
    call();
    return static_cast<int>(terminal_->shownMt5().positions.size());
}

ulong Mql5Program::PositionGetTicket(int index) {
    call();
    const auto& positions = terminal_->shownMt5().positions;
    positionSelected_ = index >= 0 && static_cast<size_t>(index) < positions.size();
    if (!positionSelected_) {
        lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
        return 0;
    }
    position_ = positions[static_cast<size_t>(index)];
    return static_cast<ulong>(position_.ticket);
}

long long Mql5Program::PositionGetInteger(ENUM_POSITION_PROPERTY_INTEGER property_id) {
    if (!positionSelected_) {
        lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
        return 0;
    }
    switch (property_id) {
        case POSITION_TICKET: return position_.ticket;
        case POSITION_IDENTIFIER: return position_.identifier;
        case POSITION_TIME: return position_.time;
        case POSITION_TYPE: return position_.type == mtsim::OrderType::Buy ? POSITION_TYPE_BUY : POSITION_TYPE_SELL;
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
        case POSITION_VOLUME: return position_.volume;
        case POSITION_PRICE_OPEN: return position_.priceOpen;
        case POSITION_SL: return position_.stopLoss;
        case POSITION_TP: return position_.takeProfit;
    }
    return 0;
}

string Mql5Program::PositionGetString(ENUM_POSITION_PROPERTY_STRING) {
    if (!positionSelected_) {
        lastError_ = ERR_TRADE_POSITION_NOT_FOUND;
        return string();
    }
    return string(position_.symbol.c_str());
}

// --- active orders ---

int Mql5Program::OrdersTotal() {
    call();
    return static_cast<int>(terminal_->shownMt5().orders.size());
}

ulong Mql5Program::OrderGetTicket(int index) {
    call();
    const auto& orders = terminal_->shownMt5().orders;
    orderSelected_ = index >= 0 && static_cast<size_t>(index) < orders.size();
    if (!orderSelected_) {
        lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
        return 0;
    }
    order_ = orders[static_cast<size_t>(index)];
    return static_cast<ulong>(order_.ticket);
}

long long Mql5Program::orderInteger(const mtsim::Mt5Order& o, ENUM_ORDER_PROPERTY_INTEGER property_id) {
    switch (property_id) {
        case ORDER_TICKET: return o.ticket;
        case ORDER_TIME_SETUP: return o.setupTime;
        case ORDER_TYPE: return static_cast<int>(o.type);  // numbered as MQL5's ENUM_ORDER_TYPE
        case ORDER_STATE: return static_cast<int>(o.state);  // numbered as ENUM_ORDER_STATE
        case ORDER_TIME_EXPIRATION: return o.expiration;
        case ORDER_TIME_DONE: return o.doneTime;
        case ORDER_MAGIC: return o.magic;
        case ORDER_POSITION_ID: return o.positionId;
    }
    return 0;
}

double Mql5Program::orderDouble(const mtsim::Mt5Order& o, ENUM_ORDER_PROPERTY_DOUBLE property_id) {
    switch (property_id) {
        case ORDER_VOLUME_INITIAL: return o.volumeInitial;
        case ORDER_VOLUME_CURRENT: return o.volumeCurrent;
        case ORDER_PRICE_OPEN: return o.price;
        case ORDER_SL: return o.stopLoss;
        case ORDER_TP: return o.takeProfit;
        case ORDER_PRICE_CURRENT: return o.priceCurrent;
    }
    return 0;
}

long long Mql5Program::OrderGetInteger(ENUM_ORDER_PROPERTY_INTEGER property_id) {
    if (!orderSelected_) lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    return orderSelected_ ? orderInteger(order_, property_id) : 0;
}

double Mql5Program::OrderGetDouble(ENUM_ORDER_PROPERTY_DOUBLE property_id) {
    if (!orderSelected_) lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    return orderSelected_ ? orderDouble(order_, property_id) : 0;
}

string Mql5Program::OrderGetString(ENUM_ORDER_PROPERTY_STRING) {
    if (!orderSelected_) lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    return orderSelected_ ? string(order_.symbol.c_str()) : string();
}

// --- history ---

void Mql5Program::cache(std::vector<mtsim::Deal> deals, std::vector<mtsim::Mt5Order> orders) {
    deals_ = std::move(deals);
    historyOrders_ = std::move(orders);
    historyOrderAt_.clear();
}

bool Mql5Program::HistorySelect(datetime from_date, datetime to_date) {
    call();
    const mtsim::Mt5Lists& lists = terminal_->shownMt5();
    // Both lists are in time order.
    auto firstDeal = std::lower_bound(lists.deals.begin(), lists.deals.end(), from_date,
                                      [](const mtsim::Deal& d, datetime t) { return d.time < t; });
    auto endDeal = std::upper_bound(firstDeal, lists.deals.end(), to_date,
                                    [](datetime t, const mtsim::Deal& d) { return t < d.time; });
    auto firstOrder = std::lower_bound(lists.history.begin(), lists.history.end(), from_date,
                                       [](const mtsim::Mt5Order& o, datetime t) { return o.doneTime < t; });
    auto endOrder = std::upper_bound(firstOrder, lists.history.end(), to_date,
                                     [](datetime t, const mtsim::Mt5Order& o) { return t < o.doneTime; });
    cache(listed({firstDeal, endDeal}), {firstOrder, endOrder});
    return true;
}

std::vector<mtsim::Deal> Mql5Program::listed(std::vector<mtsim::Deal> deals) const {
    std::erase_if(deals, [&](const mtsim::Deal& d) { return d.listedAtMs > terminal_->nowMs(); });
    return deals;
}

bool Mql5Program::HistorySelectByPosition(long position_id) {
    call();
    const mtsim::Mt5Lists& lists = terminal_->shownMt5();
    std::vector<mtsim::Deal> deals;
    std::vector<mtsim::Mt5Order> orders;
    const int id = static_cast<int>(position_id);
    if (auto it = lists.dealsOfPosition.find(id); it != lists.dealsOfPosition.end())
        for (size_t i : it->second) deals.push_back(lists.deals[i]);
    if (auto it = lists.historyOfPosition.find(id); it != lists.historyOfPosition.end())
        for (size_t i : it->second) orders.push_back(lists.history[i]);
    cache(listed(std::move(deals)), std::move(orders));
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

// The terminal numbers deals in the order they come, so the cache is in ticket order.
const mtsim::Deal* Mql5Program::deal(ulong ticket) {
    auto it = std::lower_bound(deals_.begin(), deals_.end(), ticket,
                               [](const mtsim::Deal& d, ulong t) { return static_cast<ulong>(d.ticket) < t; });
    if (it != deals_.end() && static_cast<ulong>(it->ticket) == ticket) return &*it;
    lastError_ = ERR_TRADE_DEAL_NOT_FOUND;
    return nullptr;
}

const mtsim::Mt5Order* Mql5Program::historyOrder(ulong ticket) {
    if (historyOrderAt_.empty())
        for (size_t i = 0; i < historyOrders_.size(); ++i) historyOrderAt_[static_cast<ulong>(historyOrders_[i].ticket)] = i;
    auto it = historyOrderAt_.find(ticket);
    if (it != historyOrderAt_.end()) return &historyOrders_[it->second];
    lastError_ = ERR_TRADE_ORDER_NOT_FOUND;
    return nullptr;
}

long long Mql5Program::HistoryDealGetInteger(ulong ticket_number, ENUM_DEAL_PROPERTY_INTEGER property_id) {
    const mtsim::Deal* d = deal(ticket_number);
    if (!d) return 0;
    switch (property_id) {
        case DEAL_TICKET: return d->ticket;
        case DEAL_ORDER: return d->order;
        case DEAL_TIME: return d->time;
        case DEAL_TYPE:
            return d->type == mtsim::OrderType::Buy    ? DEAL_TYPE_BUY
                   : d->type == mtsim::OrderType::Sell ? DEAL_TYPE_SELL
                                                       : DEAL_TYPE_BALANCE;
        case DEAL_ENTRY: return static_cast<int>(d->entry);  // numbered as MQL5's ENUM_DEAL_ENTRY
        case DEAL_MAGIC: return d->magic;
        case DEAL_POSITION_ID: return d->positionId;
    }
    return 0;
}

double Mql5Program::HistoryDealGetDouble(ulong ticket_number, ENUM_DEAL_PROPERTY_DOUBLE property_id) {
    const mtsim::Deal* d = deal(ticket_number);
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

string Mql5Program::HistoryDealGetString(ulong ticket_number, ENUM_DEAL_PROPERTY_STRING) {
    const mtsim::Deal* d = deal(ticket_number);
    return d ? string(d->symbol.c_str()) : string();
}

long long Mql5Program::HistoryOrderGetInteger(ulong ticket_number, ENUM_ORDER_PROPERTY_INTEGER property_id) {
    const mtsim::Mt5Order* o = historyOrder(ticket_number);
    return o ? orderInteger(*o, property_id) : 0;
}

double Mql5Program::HistoryOrderGetDouble(ulong ticket_number, ENUM_ORDER_PROPERTY_DOUBLE property_id) {
    const mtsim::Mt5Order* o = historyOrder(ticket_number);
    return o ? orderDouble(*o, property_id) : 0;
}

string Mql5Program::HistoryOrderGetString(ulong ticket_number, ENUM_ORDER_PROPERTY_STRING) {
    const mtsim::Mt5Order* o = historyOrder(ticket_number);
    return o ? string(o->symbol.c_str()) : string();
}
