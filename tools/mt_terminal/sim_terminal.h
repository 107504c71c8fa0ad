// A simulated MetaTrader terminal: accounts (MT4, or MT5 hedging or
// netting) with their books, symbols and prices, simulated time with
// per-chart timers, charts running an expert, terminal-wide global
// variables and the file sandbox (a real folder). Tests and the session
// program drive it; the MQL runtimes (mql4_runtime.h, mql5_runtime.h) read
// it on the expert's behalf.
//
// It is as harsh as the MQL references allow a real terminal to be:
// - "Each Expert Advisor runs in its own separate thread" (MQL4 and MQL5
//   reference, "Program Running"): another chart's expert, or the trade
//   server, may act between any two of an expert's runtime calls
//   (interruptAt);
// - after a start "the terminal provides a start delay of no more than 5
//   seconds, after which the Expert Advisor will be started with available
//   data" (same page): the account is known first, the connection
//   (IsConnected, TERMINAL_CONNECTED) and the lists come later, in steps;
//   the connection may drop and come back, and the lists load again;
// - EventSetMillisecondTimer() may return false (failTimers).
#pragma once
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mt4_book.h"
#include "mt5_book.h"
#include "sim_expert.h"

namespace mtsim {

// When the terminal's data arrives after a start or a reconnection, in ms.
struct Loading {
    int64_t connectMs = 0;  // IsConnected() turns true
    int64_t ordersMs = 0;   // the open orders (positions and active orders) are listed
    int64_t historyMs = 0;  // the history is listed: everything is live from then on
};

// The code page of the terminal's 8-bit text: one byte per character (as
// 1252), or two for every character outside ASCII (as 932 or 936).
enum class CodePage { SingleByte, DoubleByte };

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
    void deposit(double amount);

    // Symbols and prices: tick() moves the price, fills pending orders,
    // reaches stops and sends OnTick to the charts of that symbol.
    void addSymbol(const Symbol& symbol);
    const Symbol* symbol(const std::string& name) const;
    void tick(const std::string& symbol, double bid, double ask);

    // The trader's requests on the current account (Book says what each
    // does); refused while the terminal is not connected.
    int openMarket(const std::string& symbol, OrderType type, double lots, double sl = 0, double tp = 0, int magic = 0);
    int placePending(const std::string& symbol, OrderType type, double lots, double price, double sl = 0, double tp = 0,
                     int64_t expiration = 0, int magic = 0);
    bool modify(int ticket, double price, double sl, double tp, int64_t expiration);
    int close(int ticket, double lots = 0);
    bool closeBy(int ticket, int oppositeTicket);  // MT5 hedging
    bool deletePending(int ticket);
    void setExecution(const Execution& execution);  // MT5: how the next requests are filled
    void setHistoryPeriod(int64_t fromSeconds);     // MT4: what the Account History tab shows
    std::vector<OpenItem> openItems() const;
    bool executing() const;
    const std::vector<Order>& openOrders() const;  // MT4: the pool as the server has it
    const Mt5Lists& mt5() const;                   // MT5: as the server has it
    const std::vector<TicketEvent>& events() const { return market_.events; }

    // The connection and what the expert sees of the lists.
    bool connected() const { return connected_; }
    void disconnect();
    void reconnect(const Loading& loading);
    const Mt4Lists& shownMt4() const;
    const Mt5Lists& shownMt5() const;

    // Time: advance() runs what falls due, in order.
    int64_t nowMs() const { return market_.nowMs; }
    int64_t nowSeconds() const { return market_.nowSeconds(); }
    void advance(int64_t ms);

    // Charts with the expert.
    int attachExpert(const std::string& symbol);  // the chart id, 0 when OnInit failed
    int addChart(const std::string& symbol);      // a chart whose expert starts with startExpert()
    bool startExpert(int chartId);
    void detachExpert(int chartId);
    void crashExpert(int chartId);      // stopped by a critical error: gone without OnDeinit
    void changeTimeframe(int chartId);  // deinit and init of the same copy: the terminal keeps its globals
    void recompile();                   // every copy replaced by a fresh one
    // The terminal closed for offMs (the server goes on) and started: the
    // data arrives as loading says, the experts start when it has, or 5 s
    // after the start at the latest, fresh; temporary globals are gone.
    void restart(int64_t offMs = 0, const Loading& loading = {});
    bool hasExpert(int chartId) const;
    std::string chartComment(int chartId) const;
    const std::vector<std::string>& journal() const { return journal_; }

    // Another thread acts while the chart's expert runs: after its call-th
    // runtime call in its next event handler (or when that handler ends).
    void interruptAt(int chartId, int call, std::function<void()> action);

    // Faults on demand: the next n FileOpen / FileMove / EventSetMillisecondTimer calls fail.
    void failFileOpens(int count) { failOpens_ = count; }
    void failFileMoves(int count) { failMoves_ = count; }
    void failTimers(int count) { failTimers_ = count; }
    void setCodePage(CodePage codePage) { codePage_ = codePage; }
    const std::filesystem::path& filesFolder() const { return files_; }
    // Told every replace of systemorder.log: the chart whose expert wrote it, and its bytes.
    void watchLogWrites(std::function<void(int chartId, const std::string& bytes)> watcher) { logWatcher_ = std::move(watcher); }

    // --- The runtimes' side ---
    struct GlobalVariable {
        double value = 0;
        bool temporary = false;
    };
    void callPoint(int chartId);  // every runtime call that reaches the terminal
    std::map<std::string, GlobalVariable>& globals() { return globals_; }
    bool setTimer(int chartId, int periodMs);  // false when it could not be set
    void setComment(int chartId, const std::string& text);
    void print(const std::string& line) { journal_.push_back(line); }
    std::string toCodePage(const std::u16string& text) const;
    int openFile(int chartId, const std::string& name);  // for writing, truncated; a handle, or -1
    size_t writeFile(int handle, const std::string& bytes);  // bytes written, 0 on failure
    void closeFile(int handle);
    bool moveFile(const std::string& from, const std::string& to, bool rewrite);
    bool fileExists(const std::string& name) const;

private:
    struct Account {
        int number = 0;
        bool demo = true;
        AccountMode mode = AccountMode::Mt4;
        std::unique_ptr<Book> book;
    };
    enum class Handler { Init, Tick, Timer, Trade };
    struct Chart {
        int id = 0;
        std::string symbol;
        std::unique_ptr<Expert> expert;
        int timerMs = 0;
        int64_t nextTimerMs = 0;
        std::string comment;
        bool busy = false;
        int calls = 0;
        bool tradePending = false;
    };
    struct Interrupt {
        int chartId, call;
        std::function<void()> action;
    };
    struct Step {
        int64_t atMs;
        enum { Connect, Orders, History, StartExperts } what;
    };
    struct OpenFile;

    Account& current();
    const Account& current() const;
    Mt4Book& book4() const;
    Mt5Book& book5() const;
    template <class F>
    auto trading(F request);  // runs a request to the server, then tells the experts of what changed
    void tellTrades();
    int runHandler(Chart& chart, Handler handler);
    void fireInterrupts(Chart& chart, bool all);
    bool startChart(Chart& chart);
    void stopExpert(Chart& chart, int reason);
    Chart* chart(int id);
    void load(const Loading& loading, bool startExperts);
    void takeStep(const Step& step);
    std::filesystem::path sandboxPath(const std::string& name) const;

    std::filesystem::path files_;
    ExpertFactory factory_;
    Market market_;
    std::vector<Account> accounts_;
    size_t currentAccount_ = 0;
    bool connected_ = true;
    std::unique_ptr<Mt4Lists> shown4_;  // what the experts see while the lists are not live
    std::unique_ptr<Mt5Lists> shown5_;
    std::vector<Step> steps_;
    std::vector<int> waitingCharts_;  // charts whose expert starts with the StartExperts step
    int depth_ = 0;                  // requests running, so trade events wait for the outermost
    bool tradesChanged_ = false;
    std::vector<std::unique_ptr<Chart>> charts_;
    int nextChartId_ = 1;
    std::vector<Interrupt> interrupts_;
    std::map<std::string, GlobalVariable> globals_;
    std::vector<std::string> journal_;
    std::map<int, std::unique_ptr<OpenFile>> openFiles_;
    std::map<std::string, int> lastWriter_;  // file -> the chart whose expert wrote it last
    int nextHandle_ = 1;
    int failOpens_ = 0, failMoves_ = 0, failTimers_ = 0;
    CodePage codePage_ = CodePage::SingleByte;
    std::function<void(int, const std::string&)> logWatcher_;
};

}  // namespace mtsim
