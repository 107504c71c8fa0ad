// A trader's random session in the simulated terminal, driven by a seed:
// price ticks that fill pending orders and close orders at their stop loss
// or take profit, and the trader's opens, modifications, partial and whole
// closes and deletions, on an MT4 account or an MT5 hedging or netting one.
// Harsh, it also draws what real terminals do: MT5 orders executed late and
// in parts, pending orders filled in parts, the lists moving while the
// expert reads them, two charts starting the expert at once, a timer that
// cannot be set, and data that arrives late after a start or a reconnection.
// No order line changes twice before the expert can write it, so a relay
// that reads every write sees every state of every order.
#pragma once
#include <random>
#include <set>
#include <string>
#include <vector>

#include "sim_terminal.h"

namespace kvterminal {

class RandomSession {
public:
    // maxDelayMs: the longest MT5 execution; harsh: the behaviours above.
    RandomSession(mtsim::Terminal& terminal, unsigned seed, mtsim::AccountMode mode, bool harsh, int maxDelayMs);

    // The account, the symbols and the expert on its chart (two charts when
    // harsh); false when the expert did not start.
    bool setUp();
    // A price tick on every symbol: the lines it changed.
    std::set<int> tick();
    // The same prices again: an event for experts without a timer.
    void quietTick();
    // Perhaps one action of the trader, on none of the TOUCHED lines.
    void act(const std::set<int>& touched);
    // Whether the next break is a lost connection (harsh, at times) rather
    // than a restart of the terminal.
    bool nextBreakIsDisconnection();
    // The terminal closed for offMs and started again.
    void restart(int64_t offMs);
    // The connection back after a disconnection.
    void reconnect();
    // The expert writes its log, nothing is executing: the trader may act.
    bool settled() const;

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
    mtsim::Loading loading();
    void drawExecution();
    bool mayTrade(const std::string& symbol, bool pending, const std::set<int>& touched) const;
    void actOn(const std::set<int>& touched);
    void open(const std::set<int>& touched);
    void place(const std::set<int>& touched);
    void modifyMarket(const mtsim::OpenItem& item);
    void modifyPending(const mtsim::OpenItem& item);
    void reduce(const mtsim::OpenItem& item);

    mtsim::Terminal& mt_;
    mtsim::AccountMode mode_;
    bool harsh_;
    int maxDelayMs_;
    std::mt19937 rng_;
    std::vector<Market> markets_;
    std::vector<int> charts_;
    int breaks_ = 0;
};

}  // namespace kvterminal
