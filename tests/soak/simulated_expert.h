#pragma once
#include <string>
#include <vector>

#include "soak_random.h"

namespace soak {

// One order as the MT4 expert writes it into systemorder.log.
struct ExpertOrder {
    std::string no, date, type, symbol, lots, openPrice, stopLoss, takeProfit, closePrice = "0", pnl = "0";
    char mark = 'O';
    int stamp = 1;

    bool market() const { return type == "BUY" || type == "SELL"; }
    std::string field5() const { return mark + std::to_string(stamp); }
    std::string line() const;
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
    void act(const std::string& today);
    std::string content() const;  // the complete systemorder.log
    const ExpertOrder* order(const std::string& no) const;  // null when not in the log
    const std::vector<ExpertOrder>& orders() const { return orders_; }
    // Closed orders leave the log, as an expert keeps only recent history.
    void dropClosed();

    ExpertEvents events;

private:
    void open(bool market, const std::string& today);
    ExpertOrder* anyOpen(bool (*which)(const ExpertOrder&));

    Random& random_;
    std::vector<ExpertOrder> orders_;
    long nextNo_ = 1;
};

}  // namespace soak
