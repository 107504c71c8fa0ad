// A simulated MetaTrader terminal: accounts, symbols and their prices, market
// and pending orders with their history, simulated time with per-chart
// timers, charts running an expert, terminal-wide global variables and the
// file sandbox (a real folder). An account is MT4's, or MT5's with positions,
// pending orders and deals, hedging or netting. Tests and the session program
// drive it; the MQL runtimes (mql4_runtime.h, mql5_runtime.h) read it on the
// expert's behalf.
#pragma once
#include "sim_expert.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mt4sim {

// MQL4's order types, as OrderType() gives them.
enum OrderType { Buy = 0, Sell = 1, BuyLimit = 2, SellLimit = 3, BuyStop = 4, SellStop = 5, Balance = 6, Credit = 7 };

// MQL4's uninitialisation reasons, as OnDeinit() receives them.
enum DeinitReason { ReasonRemove = 1, ReasonRecompile = 2, ReasonChartChange = 3, ReasonAccount = 6, ReasonInitFailed = 8, ReasonClose = 9 };

// What kind of account: MT4's orders, or MT5's positions on a hedging
// account (any number per symbol) or a netting one (one per symbol).
enum class AccountMode { Mt4, Hedging, Netting };

// MT5's deal entries and history order states, as MQL5 numbers them.
enum DealEntry { EntryIn = 0, EntryOut = 1, EntryInOut = 2, EntryOutBy = 3 };
enum OrderState { StatePlaced = 1, StateCanceled = 2, StateFilled = 4, StateExpired = 6 };

// An MT4 order; on an MT5 account a position (Buy or Sell, its ticket also
// its identifier), a pending order, or a history order (with its state).
struct Order {
    int ticket = 0;
    int type = Buy;
    std::string symbol;
    double lots = 0, openPrice = 0, stopLoss = 0, takeProfit = 0;
    double closePrice = 0, profit = 0, swap = 0, commission = 0;
    int64_t openTime = 0, closeTime = 0, expiration = 0;  // seconds since 1970
    int magic = 0;
    std::string comment;
    int state = 0;  // MT5 history orders: OrderState
    int line = 0;   // MT5 netting position: its order line's number when not the ticket (after a reversal)
    int positionId = 0;  // MT5 history orders: the position their deal opened or changed
};

// An MT5 deal: what opened, added to, reduced, closed or reversed a position.
struct Deal {
    int ticket = 0, order = 0, positionId = 0;
    int64_t time = 0;
    int type = Buy;  // Buy or Sell; Balance for a deposit
    int entry = EntryIn;
    std::string symbol;
    double volume = 0, price = 0, profit = 0, swap = 0, commission = 0, fee = 0;
    double stopLoss = 0, takeProfit = 0;  // entries and reversals: the order's; exits: the position's
    int magic = 0;
};

struct Symbol {
    std::string name;
    int digits = 5;
    double lotStep = 0.01;
    double contractSize = 100000;  // profit is in the quote currency, taken as the account's
    double commissionPerLot = 0;   // charged at open, as a negative commission
    double bid = 0, ask = 0;
};

// What happened to a ticket, as the trader or the server did it: the
// session's own history, to compare with what the relay reported. The relay
// reports Opened as new, Modified and Filled as modified, Closed as closed,
// Deleted and Expired as deleted. On an MT5 account the events are those of
// the order lines the expert writes: state.ticket is the line's number.
enum class TicketEventKind { Opened, Modified, Filled, Closed, Deleted, Expired };
struct TicketEvent {
    int64_t timeMs = 0;
    int account = 0;
    TicketEventKind kind = TicketEventKind::Opened;
    Order state;          // the order after the event
    int relatedTicket = 0;  // MT4 partial close, MT5 netting reversal: the new line (on Closed) or the closed one (on Opened)
};

class Terminal {
public:
    Terminal(std::filesystem::path filesFolder, ExpertFactory factory, int64_t startMs);
    ~Terminal();

    // Accounts: the first added becomes the current one.
    void addAccount(int number, bool demo, AccountMode mode = AccountMode::Mt4);
    AccountMode accountMode() const;
    void switchAccount(int number);  // every expert deinit (account) and init again
    int accountNumber() const;
    bool accountIsDemo() const;
    void deposit(double amount);  // a balance entry (type 6) in the history

    // Symbols and prices. tick() moves the price, fills pending orders,
    // closes orders at their stop loss or take profit and sends OnTick to
    // the charts of that symbol.
    void addSymbol(const Symbol& symbol);
    const Symbol* symbol(const std::string& name) const;
    void tick(const std::string& symbol, double bid, double ask);

    // The trader's orders on the current account. Each returns the ticket
    // (0 on refusal) or success. On an MT5 account openMarket sends a market
    // order (on netting it may add to, reduce, close or reverse the symbol's
    // position) and returns the order's ticket; close() takes a position's
    // ticket and keeps it on a partial close; a pending order filled on
    // netting joins the symbol's position.
    int openMarket(const std::string& symbol, int type, double lots, double sl = 0, double tp = 0, int magic = 0);
    int placePending(const std::string& symbol, int type, double lots, double price, double sl = 0, double tp = 0,
                     int64_t expiration = 0, int magic = 0);
    // Prices are rounded to the symbol's digits; a modification that changes
    // nothing is refused, as MT4 does. price and expiration: pending orders only.
    bool modify(int ticket, double price, double sl, double tp, int64_t expiration);
    int close(int ticket, double lots = 0);  // lots 0 or all: whole close (returns the ticket); less: the new ticket
    bool deletePending(int ticket);
    const std::vector<Order>& openOrders() const;
    const std::vector<Order>& history() const;  // MT5: the history orders
    const std::vector<Deal>& deals() const;     // MT5 only
    const Order* findOpen(int ticket) const;
    const std::vector<TicketEvent>& events() const { return events_; }

    // Time: advance() runs the due timers and expiries in order.
    int64_t nowMs() const { return nowMs_; }
    int64_t nowSeconds() const { return nowMs_ / 1000; }
    void advance(int64_t ms);

    // Charts with the expert.
    int attachExpert(const std::string& symbol);  // the chart id, 0 when OnInit failed
    void detachExpert(int chartId);
    void crashExpert(int chartId);      // stopped by a critical error: gone without OnDeinit
    void changeTimeframe(int chartId);  // deinit and init of the same copy: MT4 keeps its globals
    void recompile();                   // every copy replaced by a fresh one
    void restart(int64_t offMs = 0);    // terminal closed (for offMs) and started: fresh copies, temporary globals gone
    bool hasExpert(int chartId) const;
    std::string chartComment(int chartId) const;
    const std::vector<std::string>& journal() const { return journal_; }

    // Faults on demand: the next n FileOpen / FileMove calls fail.
    void failFileOpens(int count) { failOpens_ = count; }
    void failFileMoves(int count) { failMoves_ = count; }
    const std::filesystem::path& filesFolder() const { return files_; }

    // --- The MQL4 runtime's view (mql4_runtime.cpp) ---
    struct GlobalVariable {
        double value = 0;
        bool temporary = false;
    };
    std::map<std::string, GlobalVariable>& globals() { return globals_; }
    void setTimer(int chartId, int periodMs);
    void setComment(int chartId, const std::string& text);
    void print(const std::string& line) { journal_.push_back(line); }
    int openFile(const std::string& name, bool text);  // for writing, truncated; a handle, or -1
    size_t writeFile(int handle, const std::string& bytes, size_t length);  // bytes written, 0 on failure
    void closeFile(int handle);
    bool moveFile(const std::string& from, const std::string& to, bool rewrite);
    bool fileExists(const std::string& name) const;

private:
    struct Account {
        int number = 0;
        bool demo = true;
        AccountMode mode = AccountMode::Mt4;
        std::vector<Order> open, history;
        std::vector<Deal> deals;
    };
    struct Chart {
        int id = 0;
        std::string symbol;
        std::unique_ptr<Expert> expert;
        int timerMs = 0;
        int64_t nextTimerMs = 0;
        std::string comment;
    };
    Account& current();
    const Account& current() const;
    Order* openOrder(int ticket);
    void record(TicketEventKind kind, const Order& state, int related = 0);
    void closeAt(Account& account, size_t index, double price, const std::string& why, double lots);
    void settle(Order& order, double closePrice, double lots) const;
    // MT5: a deal of order `ticket` on the account's positions.
    int executeMt5(Account& account, const Order& order, bool fromPending);  // the position id
    void closeMt5(Account& account, size_t index, double price, double lots, const Order* by = nullptr);
    Deal& addDeal(Account& account, const Order& order, int positionId, int entry, double volume, double price);
    void recordLine(Account& account, TicketEventKind kind, const Order& position, int related = 0);
    void processTriggers(const std::string& symbol);
    void processExpiries();
    Order retirePending(Account& account, size_t index, const char* comment, OrderState state);
    bool startExpert(Chart& chart);
    void stopExpert(Chart& chart, int reason);
    Chart* chart(int id);
    std::filesystem::path sandboxPath(const std::string& name) const;

    std::filesystem::path files_;
    ExpertFactory factory_;
    int64_t nowMs_;
    std::vector<Account> accounts_;
    size_t currentAccount_ = 0;
    std::map<std::string, Symbol> symbols_;
    int nextTicket_ = 70001;
    int nextDeal_ = 900001;  // MT5 numbers deals apart from orders
    std::vector<TicketEvent> events_;
    std::vector<std::unique_ptr<Chart>> charts_;
    int nextChartId_ = 1;
    std::map<std::string, GlobalVariable> globals_;
    std::vector<std::string> journal_;
    struct OpenFile;
    std::map<int, std::unique_ptr<OpenFile>> openFiles_;
    int nextHandle_ = 1;
    int failOpens_ = 0, failMoves_ = 0;
};

}  // namespace mt4sim
