#include "random_session.h"

#include <cmath>

namespace kvterminal {

namespace {

constexpr int kAccount = 5551001;
constexpr int kSpreadPoints = 20;
constexpr int kTickPoints = 12;  // the largest move of one tick
// Stops of a pending order lie further from its price than one tick can
// carry the market past it, so no tick both fills an order and closes it.
constexpr int kPendingStopPoints = 60;
constexpr std::size_t kMostOrders = 10;
constexpr std::int64_t kNoActionBeforeExpiryMs = 2000;

bool isPending(int type) { return type >= mt4sim::BuyLimit && type <= mt4sim::SellStop; }
bool isBuySide(int type) { return type == mt4sim::Buy || type == mt4sim::BuyLimit || type == mt4sim::BuyStop; }
// The number of the order line the expert writes for it (a netting position keeps its line's after a reversal).
int lineOf(const mt4sim::Order& order) { return order.line != 0 ? order.line : order.ticket; }

}  // namespace

RandomSession::RandomSession(mt4sim::Terminal& mt4, unsigned seed, mt4sim::AccountMode mode)
    : mt4_(mt4), mode_(mode), rng_(seed), markets_{{"EURUSD", 0.00001, 5}, {"USDJPY", 0.001, 3}} {}

bool RandomSession::setUp() {
    mt4_.addAccount(kAccount, true, mode_);
    mt4_.addSymbol({"EURUSD", 5, 0.01, 100000, 7.0, 1.10000, 1.10020});
    mt4_.addSymbol({"USDJPY", 3, 0.01, 100000, 0, 150.000, 150.020});
    return mt4_.attachExpert("EURUSD") != 0;
}

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

// On netting a deal joins the symbol's position. So a symbol holds a pending
// order only when it holds nothing else (its fill, in a tick that may also
// reach the position's stops, would change that line twice), and the trader
// deals only on a position no tick has just changed.
bool RandomSession::mayTrade(const std::string& symbol, bool pending, const std::set<int>& touched) const {
    if (mode_ != mt4sim::AccountMode::Netting) return true;
    for (const mt4sim::Order& order : mt4_.openOrders())
        if (order.symbol == symbol && (pending || isPending(order.type) || touched.contains(lineOf(order))))
            return false;
    return true;
}

std::set<int> RandomSession::tick() {
    const std::size_t before = mt4_.events().size();
    for (const Market& market : markets_) {
        const mt4sim::Symbol& now = *mt4_.symbol(market.symbol);
        const double bid = price(market, now.bid + between(-kTickPoints, kTickPoints) * market.point);
        mt4_.tick(market.symbol, bid, price(market, bid + kSpreadPoints * market.point));
    }
    std::set<int> touched;
    for (std::size_t i = before; i < mt4_.events().size(); ++i) touched.insert(mt4_.events()[i].state.ticket);
    return touched;
}

void RandomSession::act(const std::set<int>& touched) {
    if (!chance(0.6)) return;
    std::vector<mt4sim::Order> free;
    for (const mt4sim::Order& order : mt4_.openOrders()) {
        const bool expiresSoon =
            order.expiration != 0 && order.expiration * 1000 - mt4_.nowMs() < kNoActionBeforeExpiryMs;
        if (!touched.contains(lineOf(order)) && !expiresSoon) free.push_back(order);
    }
    if (free.empty() || (mt4_.openOrders().size() < kMostOrders && chance(0.3))) {
        chance(0.5) ? open(touched) : place(touched);
        return;
    }
    const mt4sim::Order order = free[static_cast<std::size_t>(between(0, static_cast<int>(free.size()) - 1))];
    if (isPending(order.type)) {
        chance(0.7) ? modifyPending(order) : (void)mt4_.deletePending(order.ticket);
    } else if (chance(0.5)) {
        modifyMarket(order);
    } else {
        reduce(order);
    }
}

void RandomSession::open(const std::set<int>& touched) {
    const Market& market = markets_[static_cast<std::size_t>(between(0, 1))];
    if (!mayTrade(market.symbol, false, touched)) return;
    const mt4sim::Symbol& now = *mt4_.symbol(market.symbol);
    const bool buy = chance(0.5);
    const double at = buy ? now.ask : now.bid;
    const double side = buy ? 1 : -1;
    const double sl = price(market, at - side * between(20, 60) * market.point);
    const double tp = chance(0.8) ? price(market, at + side * between(20, 60) * market.point) : 0;
    mt4_.openMarket(market.symbol, buy ? mt4sim::Buy : mt4sim::Sell, between(2, 50) * 0.01, sl, tp, between(0, 3));
}

void RandomSession::place(const std::set<int>& touched) {
    const Market& market = markets_[static_cast<std::size_t>(between(0, 1))];
    if (!mayTrade(market.symbol, true, touched)) return;
    const mt4sim::Symbol& now = *mt4_.symbol(market.symbol);
    const int type = between(mt4sim::BuyLimit, mt4sim::SellStop);
    const bool buy = isBuySide(type);
    const bool below = type == mt4sim::BuyLimit || type == mt4sim::SellStop;
    const double at = price(market, (buy ? now.ask : now.bid) + (below ? -1 : 1) * between(3, 20) * market.point);
    const double side = buy ? 1 : -1;
    const double sl = price(market, at - side * between(kPendingStopPoints, 120) * market.point);
    const double tp = price(market, at + side * between(kPendingStopPoints, 120) * market.point);
    const std::int64_t expiration = chance(0.5) ? mt4_.nowSeconds() + between(3, 6) : 0;
    mt4_.placePending(market.symbol, type, between(1, 50) * 0.01, at, sl, tp, expiration, between(0, 3));
}

void RandomSession::modifyMarket(const mt4sim::Order& order) {
    const Market& market = marketOf(order.symbol);
    const mt4sim::Symbol& now = *mt4_.symbol(order.symbol);
    const double side = order.type == mt4sim::Buy ? 1 : -1;
    const double at = order.type == mt4sim::Buy ? now.bid : now.ask;
    double sl = order.stopLoss, tp = order.takeProfit;
    // A new stop on the right side of the market, as the server demands; a
    // value equal to the old one would be no change at all.
    if (chance(0.5)) {
        sl = price(market, at - side * between(15, 90) * market.point);
    } else {
        tp = price(market, at + side * between(15, 90) * market.point);
    }
    if (sl != order.stopLoss || tp != order.takeProfit) mt4_.modify(order.ticket, order.openPrice, sl, tp, 0);
}

void RandomSession::modifyPending(const mt4sim::Order& order) {
    const Market& market = marketOf(order.symbol);
    const mt4sim::Symbol& now = *mt4_.symbol(order.symbol);
    const double shift = (chance(0.5) ? 1 : -1) * between(3, 10) * market.point;
    const double at = price(market, order.openPrice + shift);
    const double market_side = isBuySide(order.type) ? now.ask : now.bid;
    const bool below = order.type == mt4sim::BuyLimit || order.type == mt4sim::SellStop;
    // Still on its own side of the market, or the server would refuse it.
    if (below ? at > market_side - 3 * market.point : at < market_side + 3 * market.point) {
        mt4_.deletePending(order.ticket);
        return;
    }
    mt4_.modify(order.ticket, at, price(market, order.stopLoss + shift), price(market, order.takeProfit + shift),
                order.expiration);
}

void RandomSession::reduce(const mt4sim::Order& order) {
    const int hundredths = static_cast<int>(std::lround(order.lots * 100));
    if (hundredths >= 2 && chance(0.4)) {
        mt4_.close(order.ticket, between(1, hundredths - 1) * 0.01);
    } else {
        mt4_.close(order.ticket);
    }
}

}  // namespace kvterminal
