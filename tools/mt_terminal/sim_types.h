// What the simulated terminal trades with: symbols, MT4 orders, MT5 orders,
// positions and deals, and the order line events it records.
#pragma once
#include <cstdint>
#include <string>

namespace mtsim {

// Order types as MQL4 (OP_BUY...) and MQL5 (ORDER_TYPE_...) number them;
// Balance and Credit are MT4's history entries, CloseBy MT5's close-by order.
enum class OrderType : int { Buy = 0, Sell, BuyLimit, SellLimit, BuyStop, SellStop, Balance, Credit, CloseBy = 8 };
// MQL5's ENUM_DEAL_ENTRY and ENUM_ORDER_STATE.
enum class DealEntry : int { In = 0, Out, InOut, OutBy };
enum class OrderState : int { Started = 0, Placed, Canceled, Partial, Filled, Rejected, Expired };
// MT4's orders, or MT5's positions on a hedging account (any number per
// symbol) or a netting one (one per symbol).
enum class AccountMode { Mt4, Hedging, Netting };

// MQL's uninitialisation reasons, as OnDeinit() receives them.
enum DeinitReason { ReasonRemove = 1, ReasonRecompile = 2, ReasonChartChange = 3, ReasonAccount = 6, ReasonInitFailed = 8, ReasonClose = 9 };

inline bool isPending(OrderType t) { return t >= OrderType::BuyLimit && t <= OrderType::SellStop; }
inline bool isBuySide(OrderType t) { return t == OrderType::Buy || t == OrderType::BuyLimit || t == OrderType::BuyStop; }
inline bool isMarket(OrderType t) { return t == OrderType::Buy || t == OrderType::Sell || t == OrderType::CloseBy; }

struct Symbol {
    std::string name;  // UTF-8
    int digits = 5;
    double lotStep = 0.01;
    double contractSize = 100000;  // profit is in the quote currency, taken as the account's
    double commissionPerLot = 0;   // charged at open, as a negative commission
    double bid = 0, ask = 0;
};

// An MT4 order, open, pending or in the history.
struct Order {
    int ticket = 0;
    OrderType type = OrderType::Buy;
    std::string symbol;
    double lots = 0, openPrice = 0, stopLoss = 0, takeProfit = 0;
    double closePrice = 0, profit = 0, swap = 0, commission = 0;
    int64_t openTime = 0, closeTime = 0, expiration = 0;  // seconds since 1970
    int magic = 0;
    std::string comment;
};

// An MT5 position. Its line is the number of the order line the expert
// writes for it: the identifier, the reversing order's ticket after a
// netting reversal, or the reopening deal's after its identifier comes back.
struct Position {
    int ticket = 0, identifier = 0, line = 0;
    OrderType type = OrderType::Buy;
    std::string symbol;
    double volume = 0, priceOpen = 0, stopLoss = 0, takeProfit = 0, swap = 0;
    int64_t time = 0;
    int magic = 0;
};

// An MT5 order, active or in the history.
struct Mt5Order {
    int ticket = 0;
    OrderType type = OrderType::Buy;
    OrderState state = OrderState::Placed;
    std::string symbol;
    double volumeInitial = 0, volumeCurrent = 0, price = 0, stopLoss = 0, takeProfit = 0;
    double priceCurrent = 0;  // the market when it ended
    int64_t setupTime = 0, doneTime = 0, expiration = 0;
    int magic = 0;
    int positionId = 0;  // the position its deals opened or changed (a close: the position closed)
    int positionBy = 0;  // a close-by order: the opposite position
    bool absorbed = false;  // a pending order whose fill gave a position line its own number
};

// An MT5 deal: what opened, added to, reduced, closed or reversed a position.
struct Deal {
    int ticket = 0, order = 0, positionId = 0;
    int64_t time = 0;
    OrderType type = OrderType::Buy;  // Buy or Sell; Balance for a deposit
    DealEntry entry = DealEntry::In;
    std::string symbol;
    double volume = 0, price = 0, profit = 0, swap = 0, commission = 0, fee = 0;
    double stopLoss = 0, takeProfit = 0;  // entries and reversals: the order's; exits: the position's
    int magic = 0;
    int64_t listedAtMs = 0;  // when the terminal lists it in the history
};

// One order line as the expert should write it.
struct LineState {
    int number = 0;
    OrderType type = OrderType::Buy;
    std::string symbol;
    double lots = 0, openPrice = 0, stopLoss = 0, takeProfit = 0, closePrice = 0;
    std::string comment;  // MT4's, which tells why it closed
};

// What happened to an order line, as the trader or the server did it: the
// session's own history, to compare with what the relay reported. The relay
// reports Opened as new, Modified and Filled as modified, Closed as closed,
// Deleted and Expired as deleted.
enum class TicketEventKind { Opened, Modified, Filled, Closed, Deleted, Expired };
struct TicketEvent {
    int64_t timeMs = 0;
    int account = 0;
    TicketEventKind kind = TicketEventKind::Opened;
    LineState line;         // after the event
    int relatedTicket = 0;  // MT4 partial close, MT5 netting reversal: the new line (on Closed) or the closed one (on Opened)
};

}  // namespace mtsim
