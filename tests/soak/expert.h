#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace soak {

// The soak's one source of chance, so that a seed replays a whole run.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    bool chance(double probability) { return std::uniform_real_distribution<double>(0, 1)(engine_) < probability; }
    int below(int bound) { return bound <= 1 ? 0 : std::uniform_int_distribution<int>(0, bound - 1)(engine_); }
    int between(int low, int high) { return low + below(high - low + 1); }
    template <class T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

private:
    std::mt19937_64 engine_;
};

// One order as the MT4 expert writes it into systemorder.log.
struct ExpertOrder {
    std::string no, date, type, symbol, lots, openPrice, stopLoss, takeProfit, closePrice = "0", pnl = "0";
    char mark = 'O';
    int stamp = 1;

    bool open() const { return mark == 'O'; }
    bool market() const { return type == "BUY" || type == "SELL"; }
    std::string field5() const { return mark + std::to_string(stamp); }
    std::string line() const {
        return date + ";ea;52001;" + no + ";" + field5() + ";" + type + ";" + symbol + ";" + lots + ";" + openPrice +
               ";" + stopLoss + ";" + takeProfit + ";" + closePrice + ";" + pnl + ";1";
    }
};

// The trader and the market as the expert sees them: orders are opened,
// modified, filled (a pending order becomes a market order), closed and
// deleted, and the whole log is rewritten after each change.
class Expert {
public:
    Expert(Random& random, std::map<std::string, long>& tally) : random_(random), tally_(tally) {}

    // One interval of trading: none, one or a few changes.
    void act(const std::string& today) {
        const int changes = random_.chance(0.45) ? 0 : random_.between(1, 3);
        for (int i = 0; i < changes; ++i) {
            const int roll = random_.below(100);
            if (roll < 22) {
                if (std::count_if(orders_.begin(), orders_.end(), [](auto& o) { return o.open(); }) < 40)
                    open(random_.chance(0.65), today);
                continue;
            }
            // Modify any open order, fill a pending one, close a market one or delete a pending one.
            ExpertOrder* o = anyOpen(roll < 58 ? 2 : roll >= 66 && roll < 88 ? 1 : 0);
            if (!o) continue;
            ++o->stamp;
            if (roll < 58) {
                o->stopLoss = price();
                ++tally_["expert: modified"];
            } else if (roll < 66) {
                o->type = o->type.starts_with("BUY") ? "BUY" : "SELL";
                ++tally_["expert: filled a pending order"];
            } else {
                o->mark = 'X';
                if (o->market()) {
                    o->closePrice = price();
                    o->pnl = std::to_string(random_.between(-500, 500)) + ".25";
                }
                ++tally_[o->market() ? "expert: closed" : "expert: deleted"];
            }
        }
    }
    std::string content() const {  // the complete systemorder.log
        std::string text;
        for (const auto& o : orders_) text += o.line() + "\r\n";
        return text;
    }
    const ExpertOrder* order(const std::string& no) const {  // null when not in the log
        for (const auto& o : orders_)
            if (o.no == no) return &o;
        return nullptr;
    }
    const std::vector<ExpertOrder>& orders() const { return orders_; }
    // Closed orders leave the log, as an expert keeps only recent history.
    void dropClosed() {
        std::erase_if(orders_, [](const ExpertOrder& o) { return !o.open(); });
    }

private:
    std::string price() { return "1." + std::to_string(random_.between(1000, 9999)); }
    // A random open order: 0 pending, 1 market, 2 either.
    ExpertOrder* anyOpen(int which) {
        std::vector<ExpertOrder*> found;
        for (auto& o : orders_)
            if (o.open() && (which == 2 || o.market() == (which == 1))) found.push_back(&o);
        return found.empty() ? nullptr : found[static_cast<std::size_t>(random_.below(static_cast<int>(found.size())))];
    }
    void open(bool market, const std::string& today) {
        static const std::vector<std::string> symbols{"EURUSD", "GBPUSD", "USDJPY", "XAUUSD"};
        static const std::vector<std::string> pendingTypes{"BUYLIMIT", "SELLLIMIT", "BUYSTOP", "SELLSTOP"};
        const std::string type = market ? (random_.chance(0.5) ? "BUY" : "SELL") : random_.pick(pendingTypes);
        // A braced list is evaluated left to right, so a seed gives the same orders.
        orders_.push_back({std::to_string(nextNo_++), today, type, random_.pick(symbols),
                           "0." + std::to_string(random_.between(1, 99)), price(), price(), price()});
        ++tally_["expert: opened"];
    }

    Random& random_;
    std::map<std::string, long>& tally_;
    std::vector<ExpertOrder> orders_;
    long nextNo_ = 1;
};

}  // namespace soak
