#include "mt5_book.h"

#include <algorithm>
#include <climits>

namespace mtsim {

namespace {

constexpr double kEpsilon = 1e-9;

double gain(OrderType type, double open, double close, double lots, const Symbol& s) {
    return roundCents((type == OrderType::Buy ? close - open : open - close) * lots * s.contractSize);
}

bool isTerminalKind(TicketEventKind kind) {
    return kind == TicketEventKind::Closed || kind == TicketEventKind::Deleted || kind == TicketEventKind::Expired;
}

// The events one order made while it was being filled, as the lines stand
// at its last deal: one per line, the first kind unless the line ended.
std::vector<TicketEvent> merged(const std::vector<TicketEvent>& held) {
    std::vector<TicketEvent> out;
    for (const TicketEvent& e : held) {
        auto it = std::find_if(out.begin(), out.end(), [&](const TicketEvent& o) { return o.line.number == e.line.number; });
        if (it == out.end()) {
            out.push_back(e);
            continue;
        }
        if (isTerminalKind(e.kind)) it->kind = e.kind;
        it->line = e.line;
        it->timeMs = e.timeMs;
        if (e.relatedTicket != 0) it->relatedTicket = e.relatedTicket;
    }
    return out;
}

}  // namespace

void Mt5Lists::addDeal(const Deal& deal) {
    dealsOfPosition[deal.positionId].push_back(deals.size());
    deals.push_back(deal);
}

void Mt5Lists::addHistory(const Mt5Order& order) {
    historyOfPosition[order.positionId].push_back(history.size());
    history.push_back(order);
}

// --- lines and notices ---

LineState Mt5Book::lineOf(const Position& p) const {
    return {p.line, p.type, p.symbol, p.volume, p.priceOpen, p.stopLoss, p.takeProfit, 0, ""};
}

LineState Mt5Book::lineOf(const Mt5Order& o) const {
    return {o.ticket, o.type, o.symbol, o.volumeCurrent, o.price, o.stopLoss, o.takeProfit, o.priceCurrent, ""};
}

void Mt5Book::recordLine(TicketEventKind kind, const LineState& line, int related) {
    if (holding_) {
        holding_->push_back({market_.nowMs, account_, kind, line, related});
        return;
    }
    record(kind, line, related);
}

void Mt5Book::tell() const {
    if (tell_) tell_();
}

Position* Mt5Book::positionById(int identifier) {
    for (Position& p : lists_.positions)
        if (p.identifier == identifier) return &p;
    return nullptr;
}

Mt5Order* Mt5Book::activeOrder(int ticket) {
    for (Mt5Order& o : lists_.orders)
        if (o.ticket == ticket) return &o;
    return nullptr;
}

// --- requests ---

int Mt5Book::openMarket(const std::string& name, OrderType type, double lots, double sl, double tp, int magic) {
    const Symbol& s = market_.symbol(name);
    if (type != OrderType::Buy && type != OrderType::Sell) return 0;
    Mt5Order o;
    o.type = type;
    o.symbol = name;
    o.volumeInitial = o.volumeCurrent = inSteps(lots, s.lotStep);
    o.stopLoss = normalized(sl, s.digits);
    o.takeProfit = normalized(tp, s.digits);
    o.magic = magic;
    return send(o);
}

int Mt5Book::close(int ticket, double lots) {
    for (const Position& p : lists_.positions) {
        if (p.ticket != ticket) continue;
        const Symbol& s = market_.symbol(p.symbol);
        const double closing = lots == 0 ? p.volume : inSteps(lots, s.lotStep);
        if (closing <= 0 || closing > p.volume + kEpsilon) return 0;
        Mt5Order o;
        o.type = p.type == OrderType::Buy ? OrderType::Sell : OrderType::Buy;
        o.symbol = p.symbol;
        o.volumeInitial = o.volumeCurrent = closing;
        o.magic = p.magic;
        if (mode_ == AccountMode::Hedging) o.positionId = p.identifier;  // the request names the position it closes
        return send(o) ? ticket : 0;
    }
    return 0;
}

bool Mt5Book::closeBy(int ticket, int oppositeTicket) {
    if (mode_ != AccountMode::Hedging) return false;
    const Position* a = nullptr;
    const Position* b = nullptr;
    for (const Position& p : lists_.positions) {
        if (p.ticket == ticket) a = &p;
        if (p.ticket == oppositeTicket) b = &p;
    }
    if (!a || !b || a == b || a->type == b->type || a->symbol != b->symbol) return false;
    Mt5Order o;
    o.type = OrderType::CloseBy;
    o.symbol = a->symbol;
    o.volumeInitial = o.volumeCurrent = std::min(a->volume, b->volume);
    o.magic = a->magic;
    o.positionId = a->identifier;
    o.positionBy = b->identifier;
    return send(o) != 0;
}

// The order enters the active orders and is filled, at once or by deals
// spread over the execution delay.
int Mt5Book::send(Mt5Order order) {
    if (order.volumeCurrent <= 0) return 0;
    order.ticket = market_.nextTicket++;
    order.state = OrderState::Placed;
    order.setupTime = market_.nowSeconds();
    lists_.orders.push_back(order);
    Running running;
    running.order = order.ticket;
    const Symbol& s = market_.symbol(order.symbol);
    const int parts = order.type == OrderType::CloseBy ? 1 : std::max(1, execution_.parts);
    double left = order.volumeCurrent;
    for (int k = 1; k <= parts && left > kEpsilon; ++k) {
        const double part = k == parts ? left : std::max(s.lotStep, inSteps(order.volumeCurrent / parts, s.lotStep));
        const double volume = std::min(part, left);
        running.fills.push_back({market_.nowMs + execution_.delayMs * k / parts, volume});
        left = inSteps(left - volume, s.lotStep);
    }
    running_.push_back(std::move(running));
    tell();
    if (execution_.delayMs == 0) processDue();
    return order.ticket;
}

int Mt5Book::placePending(const std::string& name, OrderType type, double lots, double price, double sl, double tp,
                          int64_t expiration, int magic) {
    const Symbol& s = market_.symbol(name);
    lots = inSteps(lots, s.lotStep);
    if (!isPending(type) || lots <= 0 || price <= 0) return 0;
    Mt5Order o;
    o.ticket = market_.nextTicket++;
    o.type = type;
    o.symbol = name;
    o.volumeInitial = o.volumeCurrent = lots;
    o.price = normalized(price, s.digits);
    o.stopLoss = normalized(sl, s.digits);
    o.takeProfit = normalized(tp, s.digits);
    o.setupTime = market_.nowSeconds();
    o.expiration = expiration;
    o.magic = magic;
    lists_.orders.push_back(o);
    recordLine(TicketEventKind::Opened, lineOf(o));
    tell();
    return o.ticket;
}

bool Mt5Book::modify(int ticket, double price, double sl, double tp, int64_t expiration) {
    for (Position& p : lists_.positions) {
        if (p.ticket != ticket) continue;
        const Symbol& s = market_.symbol(p.symbol);
        const double stop = normalized(sl, s.digits), take = normalized(tp, s.digits);
        if (stop == p.stopLoss && take == p.takeProfit) return false;
        p.stopLoss = stop;
        p.takeProfit = take;
        recordLine(TicketEventKind::Modified, lineOf(p));
        tell();
        return true;
    }
    Mt5Order* o = activeOrder(ticket);
    if (!o || !isPending(o->type)) return false;
    const Symbol& s = market_.symbol(o->symbol);
    Mt5Order changed = *o;
    changed.price = normalized(price, s.digits);
    changed.stopLoss = normalized(sl, s.digits);
    changed.takeProfit = normalized(tp, s.digits);
    changed.expiration = expiration;
    if (changed.price == o->price && changed.stopLoss == o->stopLoss && changed.takeProfit == o->takeProfit &&
        changed.expiration == o->expiration)
        return false;
    *o = changed;
    if (!o->absorbed) recordLine(TicketEventKind::Modified, lineOf(*o));
    tell();
    return true;
}

bool Mt5Book::deletePending(int ticket) {
    Mt5Order* o = activeOrder(ticket);
    if (!o || !isPending(o->type)) return false;
    finish(*o, OrderState::Canceled, true);
    tell();
    return true;
}

void Mt5Book::deposit(double amount) {
    Mt5Order entry;
    entry.ticket = market_.nextTicket++;
    Deal& d = addDeal(entry, 0, DealEntry::In, 0, 0);
    d.type = OrderType::Balance;
    d.profit = amount;
    tell();
}

// --- execution ---

// An order leaves the active orders for the history; a pending order's
// line ends with it unless a position line took its number.
void Mt5Book::finish(Mt5Order& order, OrderState state, bool tellLine) {
    const Symbol& s = market_.symbol(order.symbol);
    order.state = state;
    order.doneTime = market_.nowSeconds();
    order.priceCurrent = isBuySide(order.type) ? s.ask : s.bid;
    Mt5Order done = order;
    lists_.orders.erase(std::find_if(lists_.orders.begin(), lists_.orders.end(),
                                     [&](const Mt5Order& o) { return o.ticket == done.ticket; }));
    lists_.addHistory(done);
    if (tellLine && isPending(done.type) && !done.absorbed) {
        const TicketEventKind kind = state == OrderState::Expired ? TicketEventKind::Expired : TicketEventKind::Deleted;
        LineState line = lineOf(done);
        line.lots = done.volumeInitial;
        recordLine(kind, line);
    }
}

void Mt5Book::fillNext(size_t index) {
    Running& running = running_[index];
    Mt5Order* order = activeOrder(running.order);
    const Fill fill = running.fills.front();
    running.fills.erase(running.fills.begin());
    const Symbol& s = market_.symbol(order->symbol);
    holding_ = &running.held;
    if (order->type == OrderType::CloseBy) {
        closeBySettle(*order);
    } else {
        // A position closed meanwhile (at its stop loss, say) leaves a close order nothing to close.
        const bool stale = order->positionId != 0 && !positionById(order->positionId);
        if (!stale) applyDeal(*order, fill.volume, isBuySide(order->type) ? s.ask : s.bid, false);
    }
    order->volumeCurrent = inSteps(order->volumeCurrent - fill.volume, s.lotStep);
    order->state = OrderState::Partial;
    holding_ = nullptr;
    if (running.fills.empty()) {
        const std::vector<TicketEvent> events = merged(running.held);
        finish(*order, OrderState::Filled, false);
        running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(index));
        for (const TicketEvent& e : events) record(e.kind, e.line, e.relatedTicket);
    }
    tell();
}

void Mt5Book::processDue() {
    for (;;) {
        size_t due = running_.size();
        for (size_t i = 0; i < running_.size(); ++i)
            if (running_[i].fills.front().dueMs <= market_.nowMs &&
                (due == running_.size() || running_[i].fills.front().dueMs < running_[due].fills.front().dueMs))
                due = i;
        if (due == running_.size()) break;
        fillNext(due);
    }
    // A deal reaching the history is a transaction of its own (TRADE_TRANSACTION_DEAL_ADD).
    if (std::erase_if(listings_, [&](int64_t at) { return at <= market_.nowMs; }) > 0) tell();
    for (size_t i = 0; i < lists_.orders.size();) {
        Mt5Order& o = lists_.orders[i];
        if (isPending(o.type) && o.expiration != 0 && market_.nowSeconds() >= o.expiration) {
            finish(o, OrderState::Expired, true);
            tell();
            continue;
        }
        ++i;
    }
}

int64_t Mt5Book::nextDueMs() const {
    int64_t next = INT64_MAX;
    for (const Running& r : running_) next = std::min(next, r.fills.front().dueMs);
    for (int64_t at : listings_) next = std::min(next, at);
    for (const Mt5Order& o : lists_.orders)
        if (isPending(o.type) && o.expiration > 0) next = std::min(next, o.expiration * 1000);
    return next;
}

Deal& Mt5Book::addDeal(const Mt5Order& order, int positionId, DealEntry entry, double volume, double price) {
    Deal d;
    d.ticket = market_.nextDeal++;
    d.order = order.ticket;
    d.positionId = positionId;
    d.time = market_.nowSeconds();
    d.type = isBuySide(order.type) ? OrderType::Buy : OrderType::Sell;
    d.entry = entry;
    d.symbol = order.symbol;
    d.volume = volume;
    d.price = price;
    d.magic = order.magic;
    d.stopLoss = order.stopLoss;
    d.takeProfit = order.takeProfit;
    d.listedAtMs = market_.nowMs + execution_.historyLagMs;
    if (execution_.historyLagMs > 0) listings_.push_back(d.listedAtMs);
    lists_.addDeal(d);
    return lists_.deals.back();
}

// One deal of order: a new position, or one added to, reduced, closed or
// reversed.
void Mt5Book::applyDeal(Mt5Order& order, double volume, double price, bool fromPending) {
    const bool buy = isBuySide(order.type);
    Position* target = nullptr;
    if (mode_ == AccountMode::Netting) {
        for (Position& p : lists_.positions)
            if (p.symbol == order.symbol) target = &p;
    } else {
        target = positionById(order.positionId != 0 ? order.positionId : order.ticket);
    }
    const Symbol& s = market_.symbol(order.symbol);
    const double commission = -roundCents(s.commissionPerLot * volume);
    if (!target) {
        Deal& d = addDeal(order, order.ticket, DealEntry::In, volume, price);
        d.commission = commission;
        openPosition(order, volume, price, fromPending, d);
        return;
    }
    const size_t index = static_cast<size_t>(target - lists_.positions.data());
    if ((target->type == OrderType::Buy) == buy) {
        Deal& d = addDeal(order, target->identifier, DealEntry::In, volume, price);
        d.commission = commission;
        target->priceOpen = (target->priceOpen * target->volume + price * volume) / (target->volume + volume);
        target->volume = inSteps(target->volume + volume, s.lotStep);
        recordLine(TicketEventKind::Modified, lineOf(*target));
        order.positionId = target->identifier;
        return;
    }
    order.positionId = target->identifier;
    if (mode_ == AccountMode::Netting && volume > target->volume + kEpsilon)
        reverse(index, order, volume, price, fromPending);
    else
        reduce(index, order, std::min(volume, target->volume), price, DealEntry::Out);
}

void Mt5Book::openPosition(Mt5Order& order, double volume, double price, bool fromPending, const Deal& deal) {
    Position p;
    p.ticket = p.identifier = order.ticket;
    // An identifier that comes back (a pending order's rest filled after the
    // part it filled was closed) starts a line of its own.
    p.line = closedIdentifiers_.count(order.ticket) ? deal.ticket : order.ticket;
    p.type = isBuySide(order.type) ? OrderType::Buy : OrderType::Sell;
    p.symbol = order.symbol;
    p.volume = volume;
    p.priceOpen = price;
    p.stopLoss = order.stopLoss;
    p.takeProfit = order.takeProfit;
    p.time = market_.nowSeconds();
    p.magic = order.magic;
    lists_.positions.push_back(p);
    order.positionId = p.identifier;
    const bool carriesOn = fromPending && p.line == order.ticket && !order.absorbed;
    if (fromPending && p.line == order.ticket) order.absorbed = true;
    recordLine(carriesOn ? TicketEventKind::Filled : TicketEventKind::Opened, lineOf(p));
}

// Takes volume off position index at price; what closes it whole ends its line.
void Mt5Book::reduce(size_t index, const Mt5Order& by, double volume, double price, DealEntry entry) {
    Position& p = lists_.positions[index];
    const Symbol& s = market_.symbol(p.symbol);
    Deal& d = addDeal(by, p.identifier, entry, volume, price);
    d.type = p.type == OrderType::Buy ? OrderType::Sell : OrderType::Buy;
    d.profit = gain(p.type, p.priceOpen, price, volume, s);
    d.stopLoss = p.stopLoss;
    d.takeProfit = p.takeProfit;
    if (volume + kEpsilon < p.volume) {
        p.volume = inSteps(p.volume - volume, s.lotStep);
        recordLine(TicketEventKind::Modified, lineOf(p));
        return;
    }
    LineState closed = lineOf(p);
    closed.closePrice = price;
    closedIdentifiers_.insert(p.identifier);
    lists_.positions.erase(lists_.positions.begin() + static_cast<std::ptrdiff_t>(index));
    recordLine(TicketEventKind::Closed, closed);
}

// Netting: a deal larger than the position closes its line and opens one
// the other way, numbered with the reversing order's ticket.
void Mt5Book::reverse(size_t index, Mt5Order& order, double volume, double price, bool fromPending) {
    Position& p = lists_.positions[index];
    const Symbol& s = market_.symbol(p.symbol);
    LineState closed = lineOf(p);
    closed.closePrice = price;
    Deal& d = addDeal(order, p.identifier, DealEntry::InOut, volume, price);
    d.profit = gain(p.type, p.priceOpen, price, p.volume, s);
    d.commission = -roundCents(s.commissionPerLot * (volume - p.volume));
    p.type = isBuySide(order.type) ? OrderType::Buy : OrderType::Sell;
    p.volume = inSteps(volume - p.volume, s.lotStep);
    p.priceOpen = price;
    p.time = market_.nowSeconds();
    p.stopLoss = order.stopLoss;
    p.takeProfit = order.takeProfit;
    p.ticket = p.line = order.ticket;
    if (fromPending) order.absorbed = true;
    recordLine(TicketEventKind::Closed, closed, p.line);
    recordLine(fromPending ? TicketEventKind::Filled : TicketEventKind::Opened, lineOf(p), closed.number);
}

// Hedging: each position is closed at the other's open price, so the pair's
// result is what their prices locked in.
void Mt5Book::closeBySettle(Mt5Order& order) {
    Position* a = positionById(order.positionId);
    Position* b = positionById(order.positionBy);
    if (!a || !b) return;
    const double volume = std::min({order.volumeCurrent, a->volume, b->volume});
    const double priceA = b->priceOpen, priceB = b->priceOpen;
    const int idB = b->identifier;
    reduce(static_cast<size_t>(a - lists_.positions.data()), order, volume, priceA, DealEntry::OutBy);
    Position* again = positionById(idB);
    if (again) reduce(static_cast<size_t>(again - lists_.positions.data()), order, volume, priceB, DealEntry::OutBy);
}

// The server closes a position at its stop loss or take profit.
void Mt5Book::stopOut(size_t index, double price) {
    const Position& p = lists_.positions[index];
    Mt5Order request;
    request.ticket = market_.nextTicket++;
    request.type = p.type == OrderType::Buy ? OrderType::Sell : OrderType::Buy;
    request.symbol = p.symbol;
    request.volumeInitial = p.volume;
    request.setupTime = request.doneTime = market_.nowSeconds();
    request.magic = p.magic;
    request.state = OrderState::Filled;
    request.positionId = p.identifier;
    request.priceCurrent = price;
    lists_.addHistory(request);
    reduce(index, request, p.volume, price, DealEntry::Out);
}

void Mt5Book::onPrices(const std::string& name) {
    const Symbol& s = market_.symbol(name);
    bool changed = false;
    for (size_t i = 0; i < lists_.orders.size();) {
        Mt5Order& o = lists_.orders[i];
        const bool triggered = o.symbol == name && ((o.type == OrderType::BuyLimit && s.ask <= o.price) ||
                                                    (o.type == OrderType::SellLimit && s.bid >= o.price) ||
                                                    (o.type == OrderType::BuyStop && s.ask >= o.price) ||
                                                    (o.type == OrderType::SellStop && s.bid <= o.price));
        if (!triggered) {
            ++i;
            continue;
        }
        double volume = o.volumeCurrent;
        if (o.state != OrderState::Partial && execution_.pendingFirstShare < 1)
            volume = std::min(o.volumeCurrent, std::max(s.lotStep, inSteps(o.volumeCurrent * execution_.pendingFirstShare, s.lotStep)));
        applyDeal(o, volume, o.price, true);
        o.volumeCurrent = inSteps(o.volumeCurrent - volume, s.lotStep);
        changed = true;
        if (o.volumeCurrent > kEpsilon) {
            o.state = OrderState::Partial;
            if (!o.absorbed) recordLine(TicketEventKind::Modified, lineOf(o));
            ++i;
            continue;
        }
        finish(o, OrderState::Filled, true);
        i = 0;  // the lists changed; look at them all again
    }
    for (size_t i = 0; i < lists_.positions.size();) {
        const Position& p = lists_.positions[i];
        const bool buy = p.type == OrderType::Buy;
        const double market = buy ? s.bid : s.ask;
        if (p.symbol == name && p.stopLoss > 0 && (buy ? market <= p.stopLoss : market >= p.stopLoss)) {
            stopOut(i, p.stopLoss);
            changed = true;
        } else if (p.symbol == name && p.takeProfit > 0 && (buy ? market >= p.takeProfit : market <= p.takeProfit)) {
            stopOut(i, p.takeProfit);
            changed = true;
        } else {
            ++i;
        }
    }
    if (changed) tell();
}

std::vector<OpenItem> Mt5Book::openItems() const {
    std::vector<OpenItem> items;
    for (const Position& p : lists_.positions)
        items.push_back({p.ticket, p.line, p.type, p.symbol, p.volume, p.priceOpen, p.stopLoss, p.takeProfit, 0});
    for (const Mt5Order& o : lists_.orders)
        if (isPending(o.type))
            items.push_back({o.ticket, o.ticket, o.type, o.symbol, o.volumeCurrent, o.price, o.stopLoss, o.takeProfit, o.expiration});
    return items;
}

}  // namespace mtsim
