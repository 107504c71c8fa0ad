// A trader's random session in the simulated terminal, driven by a seed:
// price ticks that fill pending orders and close orders at their stop loss
// or take profit, and the trader's opens, modifications, partial and whole
// closes and deletions, on an MT4 account or an MT5 hedging or netting one.
// No order line changes twice in one step, so a relay that looks between
// steps sees every state of every order.
#pragma once
#include <random>
#include <set>
#include <string>
#include <vector>

#include "sim_terminal.h"

namespace kvterminal {

class RandomSession {
public:
    RandomSession(mt4sim::Terminal& mt4, unsigned seed, mt4sim::AccountMode mode = mt4sim::AccountMode::Mt4);

    // The account, the symbols and the expert on its chart; false when the
    // expert did not start.
    bool setUp();
    // A price tick on every symbol: the tickets it filled or closed.
    std::set<int> tick();
    // Perhaps one action of the trader, on none of the TOUCHED tickets.
    void act(const std::set<int>& touched);

private:
    struct Market {
        std::string symbol;
        double point;
        int digits;
    };

    int between(int low, int high);
    bool chance(double share);
    double price(const Market& market, double value) const;
    const Market& marketOf(const std::string& symbol) const;
    bool mayTrade(const std::string& symbol, bool pending, const std::set<int>& touched) const;
    void open(const std::set<int>& touched);
    void place(const std::set<int>& touched);
    void modifyMarket(const mt4sim::Order& order);
    void modifyPending(const mt4sim::Order& order);
    void reduce(const mt4sim::Order& order);

    mt4sim::Terminal& mt4_;
    mt4sim::AccountMode mode_;
    std::mt19937 rng_;
    std::vector<Market> markets_;
};

}  // namespace kvterminal
