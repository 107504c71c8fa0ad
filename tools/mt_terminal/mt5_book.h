// An MT5 account's positions, active and history orders and deals, on a
// hedging or a netting account, executed as MT5's references describe:
// - a market order (a close and a close-by too) sits in the active orders
//   until its last deal: OrdersTotal() counts "market orders that have not
//   yet been executed" (MQL5 book, "Getting a list of active orders");
// - "one order can generate many deals", the partial execution of one
//   request ("Orders, Positions, and Deals in MetaTrader 5"): meanwhile the
//   order is ORDER_STATE_PARTIAL, and a pending order's remainder stays
//   active beside the position its first deal opened, under one ticket;
// - the trade transactions of one request come in no set order ("the
//   arrival sequence is not guaranteed", OnTradeTransaction): a position
//   may change before its deal is in the history;
// - every change reaches the experts as a trade transaction
//   (OnTradeTransaction: "activations of pending and stop orders on the
//   server; performing operations on the trade server side").
#pragma once
#include <functional>
#include <set>
#include <unordered_map>

#include "book.h"

namespace mtsim {

struct Mt5Lists {
    std::vector<Position> positions;
    std::vector<Mt5Order> orders;   // active: pending orders and market orders being executed
    std::vector<Mt5Order> history;  // in the order they ended
    std::vector<Deal> deals;        // in time order
    std::unordered_map<int, std::vector<size_t>> dealsOfPosition, historyOfPosition;

    void addDeal(const Deal& deal);
    void addHistory(const Mt5Order& order);
};

// How the server executes the trader's next requests.
struct Execution {
    int delayMs = 0;  // a market order waits this long for its last deal
    int parts = 1;    // and is filled by this many deals spread over the delay
    double pendingFirstShare = 1;  // a triggered pending order fills this share first, the rest at a later trigger
    int historyLagMs = 0;  // a deal reaches the history this much after its position changed
};

class Mt5Book : public Book {
public:
    Mt5Book(Market& market, int account, AccountMode mode) : Book(market, account), mode_(mode) {}
    const Mt5Lists& lists() const { return lists_; }
    AccountMode mode() const { return mode_; }
    void setExecution(const Execution& execution) { execution_ = execution; }
    // Told of every change, for the experts' OnTradeTransaction.
    void onChange(std::function<void()> tell) { tell_ = std::move(tell); }

    // A market order; on netting it may add to, reduce, close or reverse the
    // symbol's position. Returns the order's ticket.
    int openMarket(const std::string& symbol, OrderType type, double lots, double sl, double tp, int magic) override;
    int placePending(const std::string& symbol, OrderType type, double lots, double price, double sl, double tp,
                     int64_t expiration, int magic) override;
    bool modify(int ticket, double price, double sl, double tp, int64_t expiration) override;  // a position or a pending order
    // Sends the order that closes lots of the position with this ticket (all
    // when 0); returns the position's ticket, which a partial close keeps.
    int close(int ticket, double lots) override;
    // Hedging: closes a position by an opposite one (ORDER_TYPE_CLOSE_BY).
    bool closeBy(int ticket, int oppositeTicket);
    bool deletePending(int ticket) override;
    void deposit(double amount) override;

    void onPrices(const std::string& symbol) override;
    void processDue() override;
    int64_t nextDueMs() const override;
    std::vector<OpenItem> openItems() const override;
    bool executing() const override { return !running_.empty(); }

private:
    struct Fill {
        int64_t dueMs;
        double volume;
    };
    struct Running {  // a market order being filled, and the line events it made so far
        int order = 0;
        std::vector<Fill> fills;
        std::vector<TicketEvent> held;
    };

    int send(Mt5Order order);
    void fillNext(size_t running);
    void finish(Mt5Order& order, OrderState state, bool tellLine);
    void applyDeal(Mt5Order& order, double volume, double price, bool fromPending);
    void openPosition(Mt5Order& order, double volume, double price, bool fromPending, const Deal& deal);
    void reduce(size_t index, const Mt5Order& by, double volume, double price, DealEntry entry);
    void reverse(size_t index, Mt5Order& order, double volume, double price, bool fromPending);
    void closeBySettle(Mt5Order& order);
    void stopOut(size_t index, double price);
    Deal& addDeal(const Mt5Order& order, int positionId, DealEntry entry, double volume, double price);
    void recordLine(TicketEventKind kind, const LineState& line, int related = 0);
    LineState lineOf(const Position& p) const;
    LineState lineOf(const Mt5Order& o) const;
    Position* positionById(int identifier);
    Mt5Order* activeOrder(int ticket);
    void tell() const;

    AccountMode mode_;
    Execution execution_;
    Mt5Lists lists_;
    std::vector<Running> running_;
    std::vector<TicketEvent>* holding_ = nullptr;  // the events of a running order wait for its last deal
    std::set<int> closedIdentifiers_;  // positions whose line closed: their identifier may come back
    std::vector<int64_t> listings_;    // when deals not in the history yet will be, each then told as a transaction
    std::function<void()> tell_;
};

}  // namespace mtsim
