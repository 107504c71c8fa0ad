// The trade server's side of one account: its orders (MT4) or positions,
// orders and deals (MT5), changed by the trader and by the market, with the
// order line events that result. Mt4Book and Mt5Book implement it.
#pragma once
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim_types.h"

namespace mtsim {

// What every account's book shares: symbols and prices, the time, the
// ticket counters and the record of line events.
struct Market {
    std::map<std::string, Symbol> symbols;
    int64_t nowMs = 0;
    int nextTicket = 70001;
    int nextDeal = 900001;  // MT5 numbers deals apart from orders
    std::vector<TicketEvent> events;

    int64_t nowSeconds() const { return nowMs / 1000; }
    const Symbol& symbol(const std::string& name) const {
        auto it = symbols.find(name);
        if (it == symbols.end()) throw std::invalid_argument("no such symbol");
        return it->second;
    }
};

// An open order line the trader may act on.
struct OpenItem {
    int ticket = 0, line = 0;
    OrderType type = OrderType::Buy;
    std::string symbol;
    double lots = 0, openPrice = 0, stopLoss = 0, takeProfit = 0;
    int64_t expiration = 0;
};

class Book {
public:
    Book(Market& market, int account) : market_(market), account_(account) {}
    virtual ~Book() = default;

    // The trader's requests: a ticket (0 on refusal) or success. Prices are
    // rounded to the symbol's digits; a modification that changes nothing is
    // refused, as the servers do.
    virtual int openMarket(const std::string& symbol, OrderType type, double lots, double sl, double tp, int magic) = 0;
    virtual int placePending(const std::string& symbol, OrderType type, double lots, double price, double sl, double tp,
                             int64_t expiration, int magic) = 0;
    virtual bool modify(int ticket, double price, double sl, double tp, int64_t expiration) = 0;
    virtual int close(int ticket, double lots) = 0;
    virtual bool deletePending(int ticket) = 0;
    virtual void deposit(double amount) = 0;

    // The market: new prices fill pending orders and reach stops; time runs
    // out pending orders and carries executions on.
    virtual void onPrices(const std::string& symbol) = 0;
    virtual void processDue() = 0;
    virtual int64_t nextDueMs() const = 0;  // INT64_MAX when nothing waits

    virtual std::vector<OpenItem> openItems() const = 0;
    virtual bool executing() const = 0;  // a market order is being filled

protected:
    void record(TicketEventKind kind, const LineState& line, int related = 0) {
        market_.events.push_back({market_.nowMs, account_, kind, line, related});
    }
    Market& market_;
    int account_;
};

// Lots as the servers take them: whole lot steps.
inline double inSteps(double lots, double step) { return step > 0 ? std::round(lots / step) * step : lots; }
// Prices as the servers keep them: rounded to the symbol's digits.
inline double normalized(double price, int digits) {
    const double scale = std::pow(10.0, digits);
    return std::round(price * scale) / scale;
}
inline double roundCents(double value) { return std::round(value * 100.0) / 100.0; }

}  // namespace mtsim
