// An MT4 account's orders: the trade pool (market and pending orders) and
// the history (closed and deleted orders, balance entries), in the order
// the server gave them.
#pragma once
#include <unordered_map>

#include "book.h"

namespace mtsim {

struct Mt4Lists {
    std::vector<Order> open, history;
    std::unordered_map<int, size_t> historyAt;  // ticket -> index in history

    void addHistory(const Order& order) {
        historyAt[order.ticket] = history.size();
        history.push_back(order);
    }
};

class Mt4Book : public Book {
public:
    using Book::Book;
    const Mt4Lists& lists() const { return lists_; }
    // The Account History tab's period: the history lists what closed since
    // (0: all), in the order it closed. "The history list size depends on the
    // current settings of the Account history tab" (MQL4, OrdersHistoryTotal).
    void setHistoryPeriod(int64_t fromSeconds);

    int openMarket(const std::string& symbol, OrderType type, double lots, double sl, double tp, int magic) override;
    int placePending(const std::string& symbol, OrderType type, double lots, double price, double sl, double tp,
                     int64_t expiration, int magic) override;
    bool modify(int ticket, double price, double sl, double tp, int64_t expiration) override;
    int close(int ticket, double lots) override;  // less than all: MT4 opens the rest under a new ticket, returned
    bool deletePending(int ticket) override;
    void deposit(double amount) override;  // a balance entry (type 6) in the history

    void onPrices(const std::string& symbol) override;
    void processDue() override;
    int64_t nextDueMs() const override;
    std::vector<OpenItem> openItems() const override;
    bool executing() const override { return false; }  // MT4 executes a request before it returns

private:
    void closeAt(size_t index, double price, const std::string& why, double lots);
    Order retirePending(size_t index, const char* comment);
    void recordOrder(TicketEventKind kind, const Order& order, int related = 0);
    void addHistory(const Order& order);

    Mt4Lists lists_;
    std::vector<Order> allHistory_;
    int64_t historyFrom_ = 0;
};

}  // namespace mtsim
