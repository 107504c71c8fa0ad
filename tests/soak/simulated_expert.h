#pragma once
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
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

    bool market() const { return type == "BUY" || type == "SELL"; }
    std::string field5() const { return mark + std::to_string(stamp); }
    std::string line() const {
        return date + ";ea;52001;" + no + ";" + field5() + ";" + type + ";" + symbol + ";" + lots + ";" + openPrice +
               ";" + stopLoss + ";" + takeProfit + ";" + closePrice + ";" + pnl + ";1";
    }
};

struct ExpertEvents {
    long opens = 0, modifications = 0, fills = 0, closes = 0, deletes = 0;
    long total() const { return opens + modifications + fills + closes + deletes; }
};

// The trader and the market as the expert sees them: orders are opened,
// modified (a new modification stamp), filled (a pending order becomes a
// market order), closed and deleted; the whole log is rewritten after each
// change, as the expert does.
class SimulatedExpert {
public:
    explicit SimulatedExpert(Random& random) : random_(random) {}

    // One interval of trading: none, one or a few changes.
    void act(const std::string& today) {
        const int changes = random_.chance(0.45) ? 0 : random_.between(1, 3);
        for (int i = 0; i < changes; ++i) {
            const long openOrders = std::count_if(orders_.begin(), orders_.end(), isOpen);
            const int roll = random_.below(100);
            if (roll < 22 && openOrders < 40) {
                open(random_.chance(0.65), today);
            } else if (roll < 58) {
                if (ExpertOrder* o = anyOpen(isOpen)) {
                    ++o->stamp;
                    o->stopLoss = price();
                    ++events.modifications;
                }
            } else if (roll < 66) {
                if (ExpertOrder* o = anyOpen(isOpenPending)) {
                    o->type = std::string_view(o->type).starts_with("BUY") ? "BUY" : "SELL";
                    ++o->stamp;
                    ++events.fills;
                }
            } else if (ExpertOrder* o = anyOpen(roll < 88 ? isOpenMarket : isOpenPending)) {
                o->mark = 'X';
                ++o->stamp;
                if (roll < 88) {
                    o->closePrice = price();
                    o->pnl = std::to_string(random_.between(-500, 500)) + ".25";
                }
                ++(roll < 88 ? events.closes : events.deletes);
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
    void dropClosed() { std::erase_if(orders_, [](const ExpertOrder& o) { return o.mark == 'X'; }); }

    ExpertEvents events;

private:
    static bool isOpen(const ExpertOrder& o) { return o.mark == 'O'; }
    static bool isOpenMarket(const ExpertOrder& o) { return o.mark == 'O' && o.market(); }
    static bool isOpenPending(const ExpertOrder& o) { return o.mark == 'O' && !o.market(); }

    std::string price() { return "1." + std::to_string(random_.between(1000, 9999)); }
    ExpertOrder* anyOpen(bool (*which)(const ExpertOrder&)) {
        std::vector<ExpertOrder*> found;
        for (auto& o : orders_)
            if (which(o)) found.push_back(&o);
        return found.empty() ? nullptr : found[static_cast<std::size_t>(random_.below(static_cast<int>(found.size())))];
    }
    void open(bool market, const std::string& today) {
        static const std::vector<std::string> symbols{"EURUSD", "GBPUSD", "USDJPY", "XAUUSD"};
        static const std::vector<std::string> pendingTypes{"BUYLIMIT", "SELLLIMIT", "BUYSTOP", "SELLSTOP"};
        ExpertOrder o;
        o.no = std::to_string(nextNo_++);
        o.date = today;
        o.type = market ? (random_.chance(0.5) ? "BUY" : "SELL") : random_.pick(pendingTypes);
        o.symbol = random_.pick(symbols);
        o.lots = "0." + std::to_string(random_.between(1, 99));
        o.openPrice = price();
        o.stopLoss = price();
        o.takeProfit = price();
        orders_.push_back(o);
        ++events.opens;
    }

    Random& random_;
    std::vector<ExpertOrder> orders_;
    long nextNo_ = 1;
};

}  // namespace soak
