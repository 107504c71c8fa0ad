#include "sim_terminal.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace mt4sim {

struct Terminal::OpenFile {
    std::ofstream out;
    bool text = false;
};

namespace {

bool isPending(int type) { return type >= BuyLimit && type <= SellStop; }
bool isBuySide(int type) { return type == Buy || type == BuyLimit || type == BuyStop; }
double roundCents(double value) { return std::round(value * 100.0) / 100.0; }
bool isPosition(const Order& o) { return o.type == Buy || o.type == Sell; }
double gain(int type, double open, double close, double lots, const Symbol& s) {
    return roundCents((type == Buy ? close - open : open - close) * lots * s.contractSize);
}
// Lots as MT4 takes them: whole lot steps.
double inSteps(double lots, double step) { return step > 0 ? std::round(lots / step) * step : lots; }
// Prices as MT4 keeps them: rounded to the symbol's digits.
double normalized(double price, int digits) {
    double scale = std::pow(10.0, digits);
    return std::round(price * scale) / scale;
}

}  // namespace

Terminal::Terminal(std::filesystem::path filesFolder, ExpertFactory factory, int64_t startMs)
    : files_(std::move(filesFolder)), factory_(std::move(factory)), nowMs_(startMs) {
    std::filesystem::create_directories(files_);
}

Terminal::~Terminal() {
    for (auto& c : charts_) stopExpert(*c, ReasonClose);
}

// --- accounts ---

void Terminal::addAccount(int number, bool demo, AccountMode mode) {
    Account account;
    account.number = number;
    account.demo = demo;
    account.mode = mode;
    accounts_.push_back(std::move(account));
}

void Terminal::switchAccount(int number) {
    auto it = std::find_if(accounts_.begin(), accounts_.end(), [&](const Account& a) { return a.number == number; });
    if (it == accounts_.end()) throw std::invalid_argument("no such account");
    for (auto& c : charts_) stopExpert(*c, ReasonAccount);
    currentAccount_ = static_cast<size_t>(it - accounts_.begin());
    for (auto& c : charts_)
        if (c->expert) startExpert(*c);
}

Terminal::Account& Terminal::current() {
    if (accounts_.empty()) throw std::logic_error("no account");
    return accounts_[currentAccount_];
}
const Terminal::Account& Terminal::current() const {
    if (accounts_.empty()) throw std::logic_error("no account");
    return accounts_[currentAccount_];
}
int Terminal::accountNumber() const { return accounts_.empty() ? 0 : current().number; }
bool Terminal::accountIsDemo() const { return !accounts_.empty() && current().demo; }
AccountMode Terminal::accountMode() const { return accounts_.empty() ? AccountMode::Mt4 : current().mode; }

void Terminal::deposit(double amount) {
    Order entry;
    entry.ticket = nextTicket_++;
    entry.type = Balance;
    entry.profit = amount;
    entry.openTime = entry.closeTime = nowSeconds();
    entry.comment = "Deposit";
    if (current().mode != AccountMode::Mt4) {
        Deal& d = addDeal(current(), entry, 0, EntryIn, 0, 0);
        d.type = Balance;
        d.profit = amount;
        return;
    }
    current().history.push_back(entry);
}

// --- symbols and prices ---

void Terminal::addSymbol(const Symbol& symbol) { symbols_[symbol.name] = symbol; }

const Symbol* Terminal::symbol(const std::string& name) const {
    auto it = symbols_.find(name);
    return it == symbols_.end() ? nullptr : &it->second;
}

void Terminal::tick(const std::string& name, double bid, double ask) {
    auto it = symbols_.find(name);
    if (it == symbols_.end()) throw std::invalid_argument("no such symbol");
    it->second.bid = bid;
    it->second.ask = ask;
    processTriggers(name);
    for (auto& c : charts_)
        if (c->expert && c->symbol == name) c->expert->tick();
}

void Terminal::processTriggers(const std::string& name) {
    const Symbol& s = symbols_.at(name);
    for (auto& account : accounts_) {
        for (size_t i = 0; i < account.open.size();) {
            Order& o = account.open[i];
            if (o.symbol != name) { ++i; continue; }
            bool filled = (o.type == BuyLimit && s.ask <= o.openPrice) || (o.type == SellLimit && s.bid >= o.openPrice) ||
                          (o.type == BuyStop && s.ask >= o.openPrice) || (o.type == SellStop && s.bid <= o.openPrice);
            if (filled && account.mode != AccountMode::Mt4) {
                Order pending = o;
                account.open.erase(account.open.begin() + static_cast<std::ptrdiff_t>(i));
                pending.state = StateFilled;
                pending.closeTime = nowSeconds();
                account.history.push_back(pending);
                size_t at = account.history.size() - 1;
                account.history[at].positionId = executeMt5(account, pending, true);
                i = 0;  // the positions changed; look at them all again
                continue;
            }
            if (filled) {
                o.type = isBuySide(o.type) ? Buy : Sell;
                o.openTime = nowSeconds();
                o.commission = -roundCents(s.commissionPerLot * o.lots);
                Order copy = o;
                events_.push_back({nowMs_, account.number, TicketEventKind::Filled, copy, 0});
            }
            if (isPending(o.type)) { ++i; continue; }
            double market = o.type == Buy ? s.bid : s.ask;
            bool buy = o.type == Buy;
            bool mt5 = account.mode != AccountMode::Mt4;
            if (o.stopLoss > 0 && (buy ? market <= o.stopLoss : market >= o.stopLoss))
                mt5 ? closeMt5(account, i, o.stopLoss, o.lots) : closeAt(account, i, o.stopLoss, "[sl]", o.lots);
            else if (o.takeProfit > 0 && (buy ? market >= o.takeProfit : market <= o.takeProfit))
                mt5 ? closeMt5(account, i, o.takeProfit, o.lots) : closeAt(account, i, o.takeProfit, "[tp]", o.lots);
            else
                ++i;
        }
    }
}

// --- orders ---

void Terminal::record(TicketEventKind kind, const Order& state, int related) {
    events_.push_back({nowMs_, current().number, kind, state, related});
}

Order* Terminal::openOrder(int ticket) {
    for (auto& o : current().open)
        if (o.ticket == ticket) return &o;
    return nullptr;
}

const Order* Terminal::findOpen(int ticket) const {
    for (auto& o : current().open)
        if (o.ticket == ticket) return &o;
    return nullptr;
}

const std::vector<Order>& Terminal::openOrders() const { return current().open; }
const std::vector<Order>& Terminal::history() const { return current().history; }
const std::vector<Deal>& Terminal::deals() const { return current().deals; }

int Terminal::openMarket(const std::string& name, int type, double lots, double sl, double tp, int magic) {
    const Symbol* s = symbol(name);
    lots = s ? inSteps(lots, s->lotStep) : 0;
    if (!s || (type != Buy && type != Sell) || lots <= 0) return 0;
    Order o;
    o.ticket = nextTicket_++;
    o.type = type;
    o.symbol = name;
    o.lots = lots;
    o.openPrice = type == Buy ? s->ask : s->bid;
    o.stopLoss = normalized(sl, s->digits);
    o.takeProfit = normalized(tp, s->digits);
    o.openTime = nowSeconds();
    o.commission = -roundCents(s->commissionPerLot * lots);
    o.magic = magic;
    if (current().mode != AccountMode::Mt4) {
        Order request = o;
        request.state = StateFilled;
        request.closeTime = o.openTime;
        current().history.push_back(request);
        size_t at = current().history.size() - 1;
        current().history[at].positionId = executeMt5(current(), o, false);
        return o.ticket;
    }
    current().open.push_back(o);
    record(TicketEventKind::Opened, o);
    return o.ticket;
}

int Terminal::placePending(const std::string& name, int type, double lots, double price, double sl, double tp,
                           int64_t expiration, int magic) {
    const Symbol* s = symbol(name);
    lots = s ? inSteps(lots, s->lotStep) : 0;
    if (!s || !isPending(type) || lots <= 0 || price <= 0) return 0;
    Order o;
    o.ticket = nextTicket_++;
    o.type = type;
    o.symbol = name;
    o.lots = lots;
    o.openPrice = normalized(price, s->digits);
    o.stopLoss = normalized(sl, s->digits);
    o.takeProfit = normalized(tp, s->digits);
    o.openTime = nowSeconds();
    o.expiration = expiration;
    o.magic = magic;
    current().open.push_back(o);
    record(TicketEventKind::Opened, o);
    return o.ticket;
}

bool Terminal::modify(int ticket, double price, double sl, double tp, int64_t expiration) {
    Order* o = openOrder(ticket);
    if (!o) return false;
    const Symbol& s = symbols_.at(o->symbol);
    Order changed = *o;
    if (isPending(o->type)) {
        changed.openPrice = normalized(price, s.digits);
        changed.expiration = expiration;
    }
    changed.stopLoss = normalized(sl, s.digits);
    changed.takeProfit = normalized(tp, s.digits);
    if (changed.openPrice == o->openPrice && changed.stopLoss == o->stopLoss && changed.takeProfit == o->takeProfit &&
        changed.expiration == o->expiration)
        return false;  // MT4 refuses a modification that changes nothing
    *o = changed;
    recordLine(current(), TicketEventKind::Modified, *o);
    return true;
}

void Terminal::settle(Order& o, double closePrice, double lots) const {
    const Symbol& s = symbols_.at(o.symbol);
    double move = o.type == Buy ? closePrice - o.openPrice : o.openPrice - closePrice;
    o.closePrice = closePrice;
    o.profit = roundCents(move * lots * s.contractSize);
}

// Closes all or part of account.open[index] at price. MT4 closes the ticket
// with the closed lots and opens the rest under a new ticket.
void Terminal::closeAt(Account& account, size_t index, double price, const std::string& why, double lots) {
    Order closed = account.open[index];
    Order rest;
    bool partial = lots + 1e-9 < closed.lots;
    if (partial) {
        rest = closed;
        rest.ticket = nextTicket_++;
        rest.lots = closed.lots - lots;
        double share = lots / closed.lots;
        rest.commission = roundCents(closed.commission * (1 - share));
        closed.commission -= rest.commission;
        rest.comment = "from #" + std::to_string(closed.ticket);
        closed.lots = lots;
        closed.comment = "to #" + std::to_string(rest.ticket);
    } else {
        closed.comment = why;
    }
    settle(closed, price, closed.lots);
    closed.closeTime = nowSeconds();
    account.open.erase(account.open.begin() + static_cast<std::ptrdiff_t>(index));
    account.history.push_back(closed);
    events_.push_back({nowMs_, account.number, TicketEventKind::Closed, closed, partial ? rest.ticket : 0});
    if (partial) {
        account.open.push_back(rest);
        events_.push_back({nowMs_, account.number, TicketEventKind::Opened, rest, closed.ticket});
    }
}

int Terminal::close(int ticket, double lots) {
    Account& account = current();
    for (size_t i = 0; i < account.open.size(); ++i) {
        const Order& o = account.open[i];
        if (o.ticket != ticket) continue;
        const Symbol& s = symbols_.at(o.symbol);
        double closing = lots == 0 ? o.lots : inSteps(lots, s.lotStep);
        if (isPending(o.type) || closing <= 0 || closing > o.lots + 1e-9) return 0;
        if (account.mode != AccountMode::Mt4) {
            closeMt5(account, i, o.type == Buy ? s.bid : s.ask, closing);
            return ticket;
        }
        bool partial = closing + 1e-9 < o.lots;
        closeAt(account, i, o.type == Buy ? s.bid : s.ask, "", partial ? closing : o.lots);
        return partial ? account.open.back().ticket : ticket;
    }
    return 0;
}

// A pending order leaves the pool for the history at the market's price.
Order Terminal::retirePending(Account& account, size_t index, const char* comment, OrderState state) {
    Order o = account.open[index];
    const Symbol& s = symbols_.at(o.symbol);
    o.closePrice = isBuySide(o.type) ? s.ask : s.bid;
    o.closeTime = nowSeconds();
    o.comment = comment;
    o.state = state;
    account.open.erase(account.open.begin() + static_cast<std::ptrdiff_t>(index));
    account.history.push_back(o);
    return o;
}

bool Terminal::deletePending(int ticket) {
    Account& account = current();
    for (size_t i = 0; i < account.open.size(); ++i) {
        const Order& o = account.open[i];
        if (o.ticket != ticket || !isPending(o.type)) continue;
        record(TicketEventKind::Deleted, retirePending(account, i, "cancelled", StateCanceled));
        return true;
    }
    return false;
}

void Terminal::processExpiries() {
    for (auto& account : accounts_) {
        for (size_t i = 0; i < account.open.size();) {
            const Order& o = account.open[i];
            if (!isPending(o.type) || o.expiration == 0 || nowSeconds() < o.expiration) { ++i; continue; }
            events_.push_back({nowMs_, account.number, TicketEventKind::Expired,
                               retirePending(account, i, "expiration", StateExpired), 0});
        }
    }
}

// --- MT5 positions and deals ---

void Terminal::recordLine(Account& account, TicketEventKind kind, const Order& position, int related) {
    Order line = position;
    if (line.line != 0) line.ticket = line.line;
    events_.push_back({nowMs_, account.number, kind, line, related});
}

Deal& Terminal::addDeal(Account& account, const Order& order, int positionId, int entry, double volume, double price) {
    Deal d;
    d.ticket = nextDeal_++;
    d.order = order.ticket;
    d.positionId = positionId;
    d.time = nowSeconds();
    d.type = isBuySide(order.type) ? Buy : Sell;
    d.entry = entry;
    d.symbol = order.symbol;
    d.volume = volume;
    d.price = price;
    d.magic = order.magic;
    d.stopLoss = order.stopLoss;
    d.takeProfit = order.takeProfit;
    account.deals.push_back(d);
    return account.deals.back();
}

// The deal of a market order, or of a pending order filled: a new position
// (hedging, or netting without one on the symbol), or the netting position
// added to, reduced, closed or reversed.
int Terminal::executeMt5(Account& account, const Order& order, bool fromPending) {
    const Symbol& s = symbols_.at(order.symbol);
    const bool buy = isBuySide(order.type);
    const double price = fromPending ? order.openPrice : (buy ? s.ask : s.bid);
    const double commission = -roundCents(s.commissionPerLot * order.lots);
    auto it = account.open.end();
    if (account.mode == AccountMode::Netting)
        it = std::find_if(account.open.begin(), account.open.end(),
                          [&](const Order& o) { return isPosition(o) && o.symbol == order.symbol; });
    if (it == account.open.end()) {
        Order p = order;
        p.type = buy ? Buy : Sell;
        p.openPrice = price;
        p.openTime = nowSeconds();
        p.expiration = 0;
        p.state = 0;
        p.commission = commission;
        addDeal(account, order, order.ticket, EntryIn, order.lots, price).commission = commission;
        account.open.push_back(p);
        recordLine(account, fromPending ? TicketEventKind::Filled : TicketEventKind::Opened, p);
        return p.ticket;
    }
    Order& pos = *it;
    const int position = pos.ticket;
    const bool adds = (pos.type == Buy) == buy;
    const bool reverses = !adds && order.lots > pos.lots + 1e-9;
    if (fromPending && !reverses) {
        Order joined = order;  // its line ends: the position's line carries on
        joined.closePrice = price;
        recordLine(account, TicketEventKind::Deleted, joined);
    }
    if (adds) {
        addDeal(account, order, position, EntryIn, order.lots, price).commission = commission;
        pos.openPrice = (pos.openPrice * pos.lots + price * order.lots) / (pos.lots + order.lots);
        pos.lots += order.lots;
        pos.commission += commission;
        recordLine(account, TicketEventKind::Modified, pos);
        return position;
    }
    if (!reverses) {
        closeMt5(account, static_cast<size_t>(it - account.open.begin()), price, order.lots, &order);
        return position;
    }
    Order closed = pos;
    closed.closePrice = price;
    closed.profit = gain(pos.type, pos.openPrice, price, pos.lots, s);
    closed.closeTime = nowSeconds();
    Deal& d = addDeal(account, order, position, EntryInOut, order.lots, price);
    d.profit = closed.profit;
    d.commission = -roundCents(s.commissionPerLot * (order.lots - pos.lots));
    pos.type = buy ? Buy : Sell;
    pos.lots = inSteps(order.lots - pos.lots, s.lotStep);
    pos.openPrice = price;
    pos.openTime = nowSeconds();
    pos.stopLoss = order.stopLoss;
    pos.takeProfit = order.takeProfit;
    pos.commission = d.commission;
    pos.line = order.ticket;
    recordLine(account, TicketEventKind::Closed, closed, order.ticket);
    recordLine(account, fromPending ? TicketEventKind::Filled : TicketEventKind::Opened, pos, closed.line ? closed.line : closed.ticket);
    return position;
}

// Closes lots of position account.open[index] at price by an order of its
// own (the trader's, or the server's at a stop loss or take profit), or by
// `by` on netting. The ticket stays on a partial close.
void Terminal::closeMt5(Account& account, size_t index, double price, double lots, const Order* by) {
    Order& pos = account.open[index];
    const Symbol& s = symbols_.at(pos.symbol);
    Order request;
    if (by) {
        request = *by;
    } else {
        request.ticket = nextTicket_++;
        request.type = pos.type == Buy ? Sell : Buy;
        request.symbol = pos.symbol;
        request.lots = lots;
        request.openTime = request.closeTime = nowSeconds();
        request.magic = pos.magic;
        request.state = StateFilled;
        request.positionId = pos.ticket;
        account.history.push_back(request);
    }
    Deal& d = addDeal(account, request, pos.ticket, EntryOut, lots, price);
    d.profit = gain(pos.type, pos.openPrice, price, lots, s);
    d.stopLoss = pos.stopLoss;
    d.takeProfit = pos.takeProfit;
    if (lots + 1e-9 < pos.lots) {
        pos.lots = inSteps(pos.lots - lots, s.lotStep);
        recordLine(account, TicketEventKind::Modified, pos);
        return;
    }
    Order closed = pos;
    closed.closePrice = price;
    closed.profit = d.profit;
    closed.closeTime = nowSeconds();
    account.open.erase(account.open.begin() + static_cast<std::ptrdiff_t>(index));
    recordLine(account, TicketEventKind::Closed, closed);
}

// --- time ---

void Terminal::advance(int64_t ms) {
    const int64_t target = nowMs_ + std::max<int64_t>(ms, 0);
    for (;;) {
        int64_t next = target + 1;
        for (auto& c : charts_)
            if (c->expert && c->timerMs > 0) next = std::min(next, c->nextTimerMs);
        for (auto& account : accounts_)
            for (auto& o : account.open)
                if (isPending(o.type) && o.expiration > 0) next = std::min(next, o.expiration * 1000);
        if (next > target) break;
        nowMs_ = std::max(nowMs_, next);
        processExpiries();
        for (size_t i = 0; i < charts_.size(); ++i) {
            Chart& c = *charts_[i];
            if (!c.expert || c.timerMs <= 0 || c.nextTimerMs > nowMs_) continue;
            c.nextTimerMs = nowMs_ + c.timerMs;  // MT4 queues at most one timer event
            c.expert->timer();
        }
    }
    nowMs_ = target;
    processExpiries();
}

// --- charts ---

bool Terminal::startExpert(Chart& chart) {
    if (!chart.expert) {
        chart.expert = factory_();
        chart.expert->bind(*this, chart.id);
    }
    if (chart.expert->init() == 0) return true;
    chart.expert->deinit(ReasonInitFailed);
    chart.expert.reset();
    chart.timerMs = 0;
    return false;
}

void Terminal::stopExpert(Chart& chart, int reason) {
    if (!chart.expert) return;
    chart.expert->deinit(reason);
    chart.timerMs = 0;  // the terminal destroys a timer left running
}

Terminal::Chart* Terminal::chart(int id) {
    for (auto& c : charts_)
        if (c->id == id) return c.get();
    return nullptr;
}

int Terminal::attachExpert(const std::string& symbolName) {
    auto c = std::make_unique<Chart>();
    c->id = nextChartId_++;
    c->symbol = symbolName;
    charts_.push_back(std::move(c));
    Chart& added = *charts_.back();
    return startExpert(added) ? added.id : 0;
}

void Terminal::detachExpert(int chartId) {
    Chart* c = chart(chartId);
    if (!c) return;
    stopExpert(*c, ReasonRemove);
    c->expert.reset();
}

void Terminal::crashExpert(int chartId) {
    Chart* c = chart(chartId);
    if (!c) return;
    c->expert.reset();
    c->timerMs = 0;
}

void Terminal::changeTimeframe(int chartId) {
    Chart* c = chart(chartId);
    if (!c || !c->expert) return;
    stopExpert(*c, ReasonChartChange);
    startExpert(*c);
}

void Terminal::recompile() {
    for (auto& c : charts_) {
        if (!c->expert) continue;
        stopExpert(*c, ReasonRecompile);
        c->expert.reset();
        startExpert(*c);
    }
}

void Terminal::restart(int64_t offMs) {
    std::vector<int> running;
    for (auto& c : charts_) {
        if (!c->expert) continue;
        stopExpert(*c, ReasonClose);
        c->expert.reset();
        running.push_back(c->id);
    }
    openFiles_.clear();
    std::erase_if(globals_, [](const auto& g) { return g.second.temporary; });
    nowMs_ += std::max<int64_t>(offMs, 0);  // the server went on meanwhile
    processExpiries();
    for (int id : running) startExpert(*chart(id));
}

bool Terminal::hasExpert(int chartId) const {
    for (auto& c : charts_)
        if (c->id == chartId) return c->expert != nullptr;
    return false;
}

std::string Terminal::chartComment(int chartId) const {
    for (auto& c : charts_)
        if (c->id == chartId) return c->comment;
    return {};
}

void Terminal::setTimer(int chartId, int periodMs) {
    Chart* c = chart(chartId);
    if (!c) return;
    c->timerMs = periodMs;
    c->nextTimerMs = nowMs_ + periodMs;
}

void Terminal::setComment(int chartId, const std::string& text) {
    if (Chart* c = chart(chartId)) c->comment = text;
}

// --- file sandbox ---

std::filesystem::path Terminal::sandboxPath(const std::string& name) const {
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return files_ / relative;
}

int Terminal::openFile(const std::string& name, bool text) {
    if (failOpens_ > 0) {
        --failOpens_;
        return -1;
    }
    auto file = std::make_unique<OpenFile>();
    file->text = text;
    file->out.open(sandboxPath(name), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file->out) return -1;
    int handle = nextHandle_++;
    openFiles_[handle] = std::move(file);
    return handle;
}

size_t Terminal::writeFile(int handle, const std::string& bytes, size_t length) {
    auto it = openFiles_.find(handle);
    if (it == openFiles_.end()) return 0;
    std::string out;
    if (it->second->text) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) out += '\r';
            out += bytes[i];
        }
    } else {
        out = bytes;
        if (length > 0) out.resize(length, '\0');
    }
    it->second->out.write(out.data(), static_cast<std::streamsize>(out.size()));
    it->second->out.flush();  // FileClose reports nothing, so a failure must show here
    return it->second->out ? out.size() : 0;
}

void Terminal::closeFile(int handle) { openFiles_.erase(handle); }

bool Terminal::fileExists(const std::string& name) const {
    std::error_code ec;
    return std::filesystem::is_regular_file(sandboxPath(name), ec);
}

bool Terminal::moveFile(const std::string& from, const std::string& to, bool rewrite) {
    if (failMoves_ > 0) {
        --failMoves_;
        return false;
    }
    std::error_code ec;
    const auto target = sandboxPath(to);
    if (!rewrite && std::filesystem::exists(target, ec)) return false;
    std::filesystem::rename(sandboxPath(from), target, ec);
    return !ec;
}

}  // namespace mt4sim
