#include "simulated_expert.h"

#include <string_view>

namespace soak {

namespace {

const std::vector<std::string> kSymbols{"EURUSD", "GBPUSD", "USDJPY", "XAUUSD"};
const std::vector<std::string> kPendingTypes{"BUYLIMIT", "SELLLIMIT", "BUYSTOP", "SELLSTOP"};

std::string price(Random& random) { return "1." + std::to_string(random.between(1000, 9999)); }

bool isOpenMarket(const ExpertOrder& o) { return o.mark == 'O' && o.market(); }
bool isOpenPending(const ExpertOrder& o) { return o.mark == 'O' && !o.market(); }
bool isOpen(const ExpertOrder& o) { return o.mark == 'O'; }

}  // namespace

std::string ExpertOrder::line() const {
    return date + ";ea;52001;" + no + ";" + field5() + ";" + type + ";" + symbol + ";" + lots + ";" + openPrice + ";" +
           stopLoss + ";" + takeProfit + ";" + closePrice + ";" + pnl + ";1";
}

ExpertOrder* SimulatedExpert::anyOpen(bool (*which)(const ExpertOrder&)) {
    std::vector<ExpertOrder*> found;
    for (auto& o : orders_)
        if (which(o)) found.push_back(&o);
    return found.empty() ? nullptr : found[static_cast<std::size_t>(random_.below(static_cast<int>(found.size())))];
}

void SimulatedExpert::open(bool market, const std::string& today) {
    ExpertOrder o;
    o.no = std::to_string(nextNo_++);
    o.date = today;
    o.type = market ? (random_.chance(0.5) ? "BUY" : "SELL") : random_.pick(kPendingTypes);
    o.symbol = random_.pick(kSymbols);
    o.lots = "0." + std::to_string(random_.between(1, 99));
    o.openPrice = price(random_);
    o.stopLoss = price(random_);
    o.takeProfit = price(random_);
    orders_.push_back(o);
    ++events.opens;
}

void SimulatedExpert::act(const std::string& today) {
    const int changes = random_.chance(0.45) ? 0 : random_.between(1, 3);
    for (int i = 0; i < changes; ++i) {
        int openOrders = 0;
        for (const auto& o : orders_) openOrders += isOpen(o);
        const int roll = random_.below(100);
        if (roll < 22 && openOrders < 40) {
            open(random_.chance(0.65), today);
        } else if (roll < 58) {
            if (ExpertOrder* o = anyOpen(isOpen)) {
                ++o->stamp;
                o->stopLoss = price(random_);
                ++events.modifications;
            }
        } else if (roll < 66) {
            if (ExpertOrder* o = anyOpen(isOpenPending)) {
                o->type = std::string_view(o->type).starts_with("BUY") ? "BUY" : "SELL";
                ++o->stamp;
                ++events.fills;
            }
        } else if (roll < 88) {
            if (ExpertOrder* o = anyOpen(isOpenMarket)) {
                o->mark = 'X';
                ++o->stamp;
                o->closePrice = price(random_);
                o->pnl = std::to_string(random_.between(-500, 500)) + ".25";
                ++events.closes;
            }
        } else {
            if (ExpertOrder* o = anyOpen(isOpenPending)) {
                o->mark = 'X';
                ++o->stamp;
                ++events.deletes;
            }
        }
    }
}

std::string SimulatedExpert::content() const {
    std::string text;
    for (const auto& o : orders_) text += o.line() + "\r\n";
    return text;
}

const ExpertOrder* SimulatedExpert::order(const std::string& no) const {
    for (const auto& o : orders_)
        if (o.no == no) return &o;
    return nullptr;
}

void SimulatedExpert::dropClosed() {
    std::erase_if(orders_, [](const ExpertOrder& o) { return o.mark == 'X'; });
}

}  // namespace soak
