#include "mt4_book.h"

#include <algorithm>
#include <climits>

namespace mtsim {

namespace {

LineState lineOf(const Order& o) {
    return {o.ticket, o.type, o.symbol, o.lots, o.openPrice, o.stopLoss, o.takeProfit, o.closePrice, o.comment};
}

}  // namespace

void Mt4Book::recordOrder(TicketEventKind kind, const Order& order, int related) { record(kind, lineOf(order), related); }

void Mt4Book::addHistory(const Order& order) {
    allHistory_.push_back(order);
    if (order.closeTime >= historyFrom_) lists_.addHistory(order);
}

void Mt4Book::setHistoryPeriod(int64_t fromSeconds) {
    historyFrom_ = fromSeconds;
    lists_.history.clear();
    lists_.historyAt.clear();
    for (const Order& o : allHistory_)
        if (o.closeTime >= fromSeconds) lists_.addHistory(o);
}

int Mt4Book::openMarket(const std::string& name, OrderType type, double lots, double sl, double tp, int magic) {
    const Symbol& s = market_.symbol(name);
    lots = inSteps(lots, s.lotStep);
    if ((type != OrderType::Buy && type != OrderType::Sell) || lots <= 0) return 0;
    Order o;
    o.ticket = market_.nextTicket++;
    o.type = type;
    o.symbol = name;
    o.lots = lots;
    o.openPrice = type == OrderType::Buy ? s.ask : s.bid;
    o.stopLoss = normalized(sl, s.digits);
    o.takeProfit = normalized(tp, s.digits);
    o.openTime = market_.nowSeconds();
    o.commission = -roundCents(s.commissionPerLot * lots);
    o.magic = magic;
    lists_.open.push_back(o);
    recordOrder(TicketEventKind::Opened, o);
    return o.ticket;
}

int Mt4Book::placePending(const std::string& name, OrderType type, double lots, double price, double sl, double tp,
                          int64_t expiration, int magic) {
    const Symbol& s = market_.symbol(name);
    lots = inSteps(lots, s.lotStep);
    if (!isPending(type) || lots <= 0 || price <= 0) return 0;
    Order o;
    o.ticket = market_.nextTicket++;
    o.type = type;
    o.symbol = name;
    o.lots = lots;
    o.openPrice = normalized(price, s.digits);
    o.stopLoss = normalized(sl, s.digits);
    o.takeProfit = normalized(tp, s.digits);
    o.openTime = market_.nowSeconds();
    o.expiration = expiration;
    o.magic = magic;
    lists_.open.push_back(o);
    recordOrder(TicketEventKind::Opened, o);
    return o.ticket;
}

bool Mt4Book::modify(int ticket, double price, double sl, double tp, int64_t expiration) {
    auto it = std::find_if(lists_.open.begin(), lists_.open.end(), [&](const Order& o) { return o.ticket == ticket; });
    if (it == lists_.open.end()) return false;
    const Symbol& s = market_.symbol(it->symbol);
    Order changed = *it;
    if (isPending(it->type)) {
        changed.openPrice = normalized(price, s.digits);
        changed.expiration = expiration;
    }
    changed.stopLoss = normalized(sl, s.digits);
    changed.takeProfit = normalized(tp, s.digits);
    if (changed.openPrice == it->openPrice && changed.stopLoss == it->stopLoss && changed.takeProfit == it->takeProfit &&
        changed.expiration == it->expiration)
        return false;
    *it = changed;
    recordOrder(TicketEventKind::Modified, *it);
    return true;
}

// Closes all or part of open[index] at price: MT4 closes the ticket with
// the closed lots and opens the rest under a new ticket.
void Mt4Book::closeAt(size_t index, double price, const std::string& why, double lots) {
    Order closed = lists_.open[index];
    const Symbol& s = market_.symbol(closed.symbol);
    Order rest;
    const bool partial = lots + 1e-9 < closed.lots;
    if (partial) {
        rest = closed;
        rest.ticket = market_.nextTicket++;
        rest.lots = closed.lots - lots;
        const double share = lots / closed.lots;
        rest.commission = roundCents(closed.commission * (1 - share));
        closed.commission -= rest.commission;
        rest.comment = "from #" + std::to_string(closed.ticket);
        closed.lots = lots;
        closed.comment = "to #" + std::to_string(rest.ticket);
    } else {
        closed.comment = why;
    }
    const double move = closed.type == OrderType::Buy ? price - closed.openPrice : closed.openPrice - price;
    closed.closePrice = price;
    closed.profit = roundCents(move * closed.lots * s.contractSize);
    closed.closeTime = market_.nowSeconds();
    lists_.open.erase(lists_.open.begin() + static_cast<std::ptrdiff_t>(index));
    addHistory(closed);
    recordOrder(TicketEventKind::Closed, closed, partial ? rest.ticket : 0);
    if (partial) {
        lists_.open.push_back(rest);
        recordOrder(TicketEventKind::Opened, rest, closed.ticket);
    }
}

int Mt4Book::close(int ticket, double lots) {
    for (size_t i = 0; i < lists_.open.size(); ++i) {
        const Order& o = lists_.open[i];
        if (o.ticket != ticket) continue;
        const Symbol& s = market_.symbol(o.symbol);
        const double closing = lots == 0 ? o.lots : inSteps(lots, s.lotStep);
        if (isPending(o.type) || closing <= 0 || closing > o.lots + 1e-9) return 0;
        const bool partial = closing + 1e-9 < o.lots;
        closeAt(i, o.type == OrderType::Buy ? s.bid : s.ask, "", partial ? closing : o.lots);
        return partial ? lists_.open.back().ticket : ticket;
    }
    return 0;
}

// A pending order leaves the pool for the history at the market's price.
Order Mt4Book::retirePending(size_t index, const char* comment) {
    Order o = lists_.open[index];
    const Symbol& s = market_.symbol(o.symbol);
    o.closePrice = isBuySide(o.type) ? s.ask : s.bid;
    o.closeTime = market_.nowSeconds();
    o.comment = comment;
    lists_.open.erase(lists_.open.begin() + static_cast<std::ptrdiff_t>(index));
    addHistory(o);
    return o;
}

bool Mt4Book::deletePending(int ticket) {
    for (size_t i = 0; i < lists_.open.size(); ++i) {
        if (lists_.open[i].ticket != ticket || !isPending(lists_.open[i].type)) continue;
        recordOrder(TicketEventKind::Deleted, retirePending(i, "cancelled"));
        return true;
    }
    return false;
}

void Mt4Book::deposit(double amount) {
    Order entry;
    entry.ticket = market_.nextTicket++;
    entry.type = OrderType::Balance;
    entry.profit = amount;
    entry.openTime = entry.closeTime = market_.nowSeconds();
    entry.comment = "Deposit";
    addHistory(entry);
}

void Mt4Book::onPrices(const std::string& name) {
    const Symbol& s = market_.symbol(name);
    for (size_t i = 0; i < lists_.open.size();) {
        Order& o = lists_.open[i];
        if (o.symbol != name) {
            ++i;
            continue;
        }
        const bool filled = (o.type == OrderType::BuyLimit && s.ask <= o.openPrice) ||
                            (o.type == OrderType::SellLimit && s.bid >= o.openPrice) ||
                            (o.type == OrderType::BuyStop && s.ask >= o.openPrice) ||
                            (o.type == OrderType::SellStop && s.bid <= o.openPrice);
        if (filled) {
            o.type = isBuySide(o.type) ? OrderType::Buy : OrderType::Sell;
            o.openTime = market_.nowSeconds();
            o.commission = -roundCents(s.commissionPerLot * o.lots);
            recordOrder(TicketEventKind::Filled, o);
        }
        if (isPending(o.type)) {
            ++i;
            continue;
        }
        const bool buy = o.type == OrderType::Buy;
        const double market = buy ? s.bid : s.ask;
        if (o.stopLoss > 0 && (buy ? market <= o.stopLoss : market >= o.stopLoss))
            closeAt(i, o.stopLoss, "[sl]", o.lots);
        else if (o.takeProfit > 0 && (buy ? market >= o.takeProfit : market <= o.takeProfit))
            closeAt(i, o.takeProfit, "[tp]", o.lots);
        else
            ++i;
    }
}

void Mt4Book::processDue() {
    for (size_t i = 0; i < lists_.open.size();) {
        const Order& o = lists_.open[i];
        if (!isPending(o.type) || o.expiration == 0 || market_.nowSeconds() < o.expiration) {
            ++i;
            continue;
        }
        recordOrder(TicketEventKind::Expired, retirePending(i, "expiration"));
    }
}

int64_t Mt4Book::nextDueMs() const {
    int64_t next = INT64_MAX;
    for (const Order& o : lists_.open)
        if (isPending(o.type) && o.expiration > 0) next = std::min(next, o.expiration * 1000);
    return next;
}

std::vector<OpenItem> Mt4Book::openItems() const {
    std::vector<OpenItem> items;
    for (const Order& o : lists_.open)
        items.push_back({o.ticket, o.ticket, o.type, o.symbol, o.lots, o.openPrice, o.stopLoss, o.takeProfit, o.expiration});
    return items;
}

}  // namespace mtsim
