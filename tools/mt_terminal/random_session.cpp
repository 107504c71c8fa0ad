#include "random_session.h"

#include <cmath>

namespace kvterminal {

namespace {

using mtsim::OpenItem;
using mtsim::OrderType;

constexpr int kAccount = 5551001;
constexpr int kSpreadPoints = 20;
constexpr int kTickPoints = 12;  // the largest move of one tick
// Stops of a pending order lie further from its price than one tick can
// carry the market past it, so no tick both fills an order and closes it.
constexpr int kPendingStopPoints = 60;
constexpr std::size_t kMostOrders = 10;
constexpr std::int64_t kNoActionBeforeExpiryMs = 2000;
constexpr int kMostCallsBeforeMove = 60;  // how deep into the expert's next period the lists move

}  // namespace

RandomSession::RandomSession(mtsim::Terminal& terminal, unsigned seed, mtsim::AccountMode mode, bool harsh, int maxDelayMs)
    : mt_(terminal), mode_(mode), harsh_(harsh), maxDelayMs_(maxDelayMs), rng_(seed),
      markets_{{"EURUSD", 0.00001, 5}, {"USDJPY", 0.001, 3}} {}

int RandomSession::between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

bool RandomSession::chance(double share) { return std::uniform_real_distribution<double>(0, 1)(rng_) < share; }

double RandomSession::price(const Market& market, double value) const {
    const double scale = std::pow(10.0, market.digits);
    return std::round(value * scale) / scale;
}

const RandomSession::Market& RandomSession::marketOf(const std::string& symbol) const {
    for (const Market& market : markets_)
        if (market.symbol == symbol) return market;
    return markets_.front();
}

bool RandomSession::setUp() {
    mt_.addAccount(kAccount, true, mode_);
    mt_.addSymbol({"EURUSD", 5, 0.01, 100000, 7.0, 1.10000, 1.10020});
    mt_.addSymbol({"USDJPY", 3, 0.01, 100000, 0, 150.000, 150.020});
    charts_.push_back(mt_.addChart("EURUSD"));
    if (harsh_) {
        // A second chart whose expert starts inside the first one's OnInit.
        charts_.push_back(mt_.addChart("USDJPY"));
        mt_.interruptAt(charts_[0], between(1, 12), [this] { mt_.startExpert(charts_[1]); });
    }
    return mt_.startExpert(charts_[0]);
}

// Every other break, so a session of a few breaks has both kinds.
bool RandomSession::nextBreakIsDisconnection() { return harsh_ && breaks_++ % 2 == 1; }

void RandomSession::reconnect() { mt_.reconnect(loading()); }

void RandomSession::restart(int64_t offMs) {
    if (harsh_) {
        if (chance(0.3)) mt_.failTimers(1);
        mt_.interruptAt(charts_[0], between(1, 12), [this] {
            if (!mt_.hasExpert(charts_[1])) mt_.startExpert(charts_[1]);
        });
    }
    mt_.restart(offMs, harsh_ ? loading() : mtsim::Loading{});
}

// The connection first, then the open orders, then the history, each a
// little later; now and then later than the 5 s the terminal waits before
// it starts the experts anyway.
mtsim::Loading RandomSession::loading() {
    mtsim::Loading l;
    l.connectMs = between(0, chance(0.3) ? 6000 : 1500);
    l.ordersMs = l.connectMs + between(0, 600);
    l.historyMs = l.ordersMs + between(0, 600);
    return l;
}

bool RandomSession::settled() const {
    if (mt_.executing() || !mt_.connected()) return false;
    for (int chart : charts_)
        if (mt_.chartComment(chart).find("lines in systemorder.log") != std::string::npos) return true;
    return false;
}

void RandomSession::drawExecution() {
    if (!harsh_ || mode_ == mtsim::AccountMode::Mt4) return;
    mt_.setExecution({between(0, maxDelayMs_), between(1, 3), chance(0.3) ? 0.5 : 1.0, between(0, 20)});
}

// On netting a deal joins the symbol's position. So a symbol holds a pending
// order only when it holds nothing else (its fill, in a tick that may also
// reach the position's stops, would change that line twice), and the trader
// deals only on a position no tick has just changed.
bool RandomSession::mayTrade(const std::string& symbol, bool pending, const std::set<int>& touched) const {
    if (mode_ != mtsim::AccountMode::Netting) return true;
    for (const OpenItem& item : mt_.openItems())
        if (item.symbol == symbol && (pending || mtsim::isPending(item.type) || touched.contains(item.line))) return false;
    return true;
}

std::set<int> RandomSession::tick() {
    const std::size_t before = mt_.events().size();
    for (const Market& market : markets_) {
        const mtsim::Symbol& now = *mt_.symbol(market.symbol);
        const double bid = price(market, now.bid + between(-kTickPoints, kTickPoints) * market.point);
        mt_.tick(market.symbol, bid, price(market, bid + kSpreadPoints * market.point));
    }
    std::set<int> touched;
    for (std::size_t i = before; i < mt_.events().size(); ++i) touched.insert(mt_.events()[i].line.number);
    return touched;
}

void RandomSession::quietTick() {
    const mtsim::Symbol& now = *mt_.symbol(markets_.front().symbol);
    mt_.tick(now.name, now.bid, now.ask);
}

void RandomSession::act(const std::set<int>& touched) {
    const std::size_t before = mt_.events().size();
    actOn(touched);
    if (!harsh_ || !chance(0.25)) return;
    // The lists move again while the expert reads them in its next period:
    // a new order, on no line this step changed.
    std::set<int> changed = touched;
    for (std::size_t i = before; i < mt_.events().size(); ++i) changed.insert(mt_.events()[i].line.number);
    mt_.interruptAt(charts_[0], between(1, kMostCallsBeforeMove), [this, changed] {
        if (mt_.openItems().size() >= kMostOrders || mt_.executing()) return;
        drawExecution();
        chance(0.5) ? open(changed) : place(changed);
    });
}

void RandomSession::actOn(const std::set<int>& touched) {
    if (!chance(0.6)) return;
    drawExecution();
    std::vector<OpenItem> free;
    for (const OpenItem& item : mt_.openItems()) {
        const bool expiresSoon = item.expiration != 0 && item.expiration * 1000 - mt_.nowMs() < kNoActionBeforeExpiryMs;
        if (!touched.contains(item.line) && !expiresSoon) free.push_back(item);
    }
    if (free.empty() || (mt_.openItems().size() < kMostOrders && chance(0.3))) {
        chance(0.5) ? open(touched) : place(touched);
        return;
    }
    const OpenItem item = free[static_cast<std::size_t>(between(0, static_cast<int>(free.size()) - 1))];
    if (mtsim::isPending(item.type)) {
        chance(0.7) ? modifyPending(item) : (void)mt_.deletePending(item.ticket);
    } else if (chance(0.5)) {
        modifyMarket(item);
    } else {
        reduce(item);
    }
}

void RandomSession::open(const std::set<int>& touched) {
    const Market& market = markets_[static_cast<std::size_t>(between(0, 1))];
    if (!mayTrade(market.symbol, false, touched)) return;
    const mtsim::Symbol& now = *mt_.symbol(market.symbol);
    const bool buy = chance(0.5);
    const double at = buy ? now.ask : now.bid;
    const double side = buy ? 1 : -1;
    const double sl = price(market, at - side * between(20, 60) * market.point);
    const double tp = chance(0.8) ? price(market, at + side * between(20, 60) * market.point) : 0;
    mt_.openMarket(market.symbol, buy ? OrderType::Buy : OrderType::Sell, between(2, 50) * 0.01, sl, tp, between(0, 3));
}

void RandomSession::place(const std::set<int>& touched) {
    const Market& market = markets_[static_cast<std::size_t>(between(0, 1))];
    if (!mayTrade(market.symbol, true, touched)) return;
    const mtsim::Symbol& now = *mt_.symbol(market.symbol);
    const OrderType type = static_cast<OrderType>(between(2, 5));
    const bool buy = mtsim::isBuySide(type);
    const bool below = type == OrderType::BuyLimit || type == OrderType::SellStop;
    const double at = price(market, (buy ? now.ask : now.bid) + (below ? -1 : 1) * between(3, 20) * market.point);
    const double side = buy ? 1 : -1;
    const double sl = price(market, at - side * between(kPendingStopPoints, 120) * market.point);
    const double tp = price(market, at + side * between(kPendingStopPoints, 120) * market.point);
    const std::int64_t expiration = chance(0.5) ? mt_.nowSeconds() + between(3, 6) : 0;
    mt_.placePending(market.symbol, type, between(2, 50) * 0.01, at, sl, tp, expiration, between(0, 3));
}

void RandomSession::modifyMarket(const OpenItem& item) {
    const Market& market = marketOf(item.symbol);
    const mtsim::Symbol& now = *mt_.symbol(item.symbol);
    const double side = item.type == OrderType::Buy ? 1 : -1;
    const double at = item.type == OrderType::Buy ? now.bid : now.ask;
    double sl = item.stopLoss, tp = item.takeProfit;
    // A new stop on the right side of the market, as the server demands; a
    // value equal to the old one would be no change at all.
    if (chance(0.5)) {
        sl = price(market, at - side * between(15, 90) * market.point);
    } else {
        tp = price(market, at + side * between(15, 90) * market.point);
    }
    if (sl != item.stopLoss || tp != item.takeProfit) mt_.modify(item.ticket, item.openPrice, sl, tp, 0);
}

void RandomSession::modifyPending(const OpenItem& item) {
    const Market& market = marketOf(item.symbol);
    const mtsim::Symbol& now = *mt_.symbol(item.symbol);
    const double shift = (chance(0.5) ? 1 : -1) * between(3, 10) * market.point;
    const double at = price(market, item.openPrice + shift);
    const double marketSide = mtsim::isBuySide(item.type) ? now.ask : now.bid;
    const bool below = item.type == OrderType::BuyLimit || item.type == OrderType::SellStop;
    // Still on its own side of the market, or the server would refuse it.
    if (below ? at > marketSide - 3 * market.point : at < marketSide + 3 * market.point) {
        mt_.deletePending(item.ticket);
        return;
    }
    mt_.modify(item.ticket, at, price(market, item.stopLoss + shift), price(market, item.takeProfit + shift), item.expiration);
}

void RandomSession::reduce(const OpenItem& item) {
    const int hundredths = static_cast<int>(std::lround(item.lots * 100));
    if (hundredths >= 2 && chance(0.4)) {
        mt_.close(item.ticket, between(1, hundredths - 1) * 0.01);
    } else {
        mt_.close(item.ticket);
    }
}

}  // namespace kvterminal
