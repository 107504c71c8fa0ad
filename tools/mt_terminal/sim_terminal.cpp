#include "sim_terminal.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <sstream>
#include <system_error>

namespace mtsim {

namespace {

// "The terminal provides a start delay of no more than 5 seconds" (MQL4 and
// MQL5 reference, "Program Running").
constexpr int64_t kMostStartDelayMs = 5000;

}  // namespace

struct Terminal::OpenFile {
    std::ofstream out;
    std::string name;
    int chartId = 0;
};

Terminal::Terminal(std::filesystem::path filesFolder, ExpertFactory factory, int64_t startMs)
    : files_(std::move(filesFolder)), factory_(std::move(factory)) {
    market_.nowMs = startMs;
    std::filesystem::create_directories(files_);
}

Terminal::~Terminal() {
    for (auto& c : charts_) stopExpert(*c, ReasonClose);
}

// --- accounts ---

void Terminal::addAccount(int number, bool demo, AccountMode mode) {
    Account account;
    account.number = number;
    account.demo = demo;
    account.mode = mode;
    if (mode == AccountMode::Mt4) {
        account.book = std::make_unique<Mt4Book>(market_, number);
    } else {
        auto book = std::make_unique<Mt5Book>(market_, number, mode);
        book->onChange([this] { tradesChanged_ = true; });
        account.book = std::move(book);
    }
    accounts_.push_back(std::move(account));
}

void Terminal::switchAccount(int number) {
    auto it = std::find_if(accounts_.begin(), accounts_.end(), [&](const Account& a) { return a.number == number; });
    if (it == accounts_.end()) throw std::invalid_argument("no such account");
    for (auto& c : charts_) stopExpert(*c, ReasonAccount);
    currentAccount_ = static_cast<size_t>(it - accounts_.begin());
    for (auto& c : charts_)
        if (c->expert) startChart(*c);
}

Terminal::Account& Terminal::current() {
    if (accounts_.empty()) throw std::logic_error("no account");
    return accounts_[currentAccount_];
}
const Terminal::Account& Terminal::current() const {
    if (accounts_.empty()) throw std::logic_error("no account");
    return accounts_[currentAccount_];
}
Mt4Book& Terminal::book4() const { return dynamic_cast<Mt4Book&>(*current().book); }
Mt5Book& Terminal::book5() const { return dynamic_cast<Mt5Book&>(*current().book); }
int Terminal::accountNumber() const { return accounts_.empty() ? 0 : current().number; }
bool Terminal::accountIsDemo() const { return !accounts_.empty() && current().demo; }
AccountMode Terminal::accountMode() const { return accounts_.empty() ? AccountMode::Mt4 : current().mode; }

// --- requests to the server ---

// A request runs whole before the experts hear of what it changed, as the
// terminal queues their trade events.
template <class F>
auto Terminal::trading(F request) {
    ++depth_;
    auto result = request();
    if (--depth_ == 0) tellTrades();
    return result;
}

void Terminal::tellTrades() {
    while (tradesChanged_) {
        tradesChanged_ = false;
        for (size_t i = 0; i < charts_.size(); ++i) {
            Chart& c = *charts_[i];
            if (!c.expert) continue;
            if (c.busy)
                c.tradePending = true;
            else
                runHandler(c, Handler::Trade);
        }
    }
}

void Terminal::deposit(double amount) {
    trading([&] {
        current().book->deposit(amount);
        return 0;
    });
}

int Terminal::openMarket(const std::string& symbol, OrderType type, double lots, double sl, double tp, int magic) {
    if (!connected_) return 0;
    return trading([&] { return current().book->openMarket(symbol, type, lots, sl, tp, magic); });
}

int Terminal::placePending(const std::string& symbol, OrderType type, double lots, double price, double sl, double tp,
                           int64_t expiration, int magic) {
    if (!connected_) return 0;
    return trading([&] { return current().book->placePending(symbol, type, lots, price, sl, tp, expiration, magic); });
}

bool Terminal::modify(int ticket, double price, double sl, double tp, int64_t expiration) {
    return connected_ && trading([&] { return current().book->modify(ticket, price, sl, tp, expiration); });
}

int Terminal::close(int ticket, double lots) {
    if (!connected_) return 0;
    return trading([&] { return current().book->close(ticket, lots); });
}

bool Terminal::closeBy(int ticket, int oppositeTicket) {
    return connected_ && current().mode != AccountMode::Mt4 && trading([&] { return book5().closeBy(ticket, oppositeTicket); });
}

bool Terminal::deletePending(int ticket) {
    return connected_ && trading([&] { return current().book->deletePending(ticket); });
}

void Terminal::setExecution(const Execution& execution) {
    if (current().mode != AccountMode::Mt4) book5().setExecution(execution);
}

void Terminal::setHistoryPeriod(int64_t fromSeconds) { book4().setHistoryPeriod(fromSeconds); }

std::vector<OpenItem> Terminal::openItems() const { return current().book->openItems(); }
bool Terminal::executing() const { return current().book->executing(); }
const std::vector<Order>& Terminal::openOrders() const { return book4().lists().open; }
const Mt5Lists& Terminal::mt5() const { return book5().lists(); }

// --- symbols and prices ---

void Terminal::addSymbol(const Symbol& symbol) { market_.symbols[symbol.name] = symbol; }

const Symbol* Terminal::symbol(const std::string& name) const {
    auto it = market_.symbols.find(name);
    return it == market_.symbols.end() ? nullptr : &it->second;
}

void Terminal::tick(const std::string& name, double bid, double ask) {
    auto it = market_.symbols.find(name);
    if (it == market_.symbols.end()) throw std::invalid_argument("no such symbol");
    it->second.bid = bid;
    it->second.ask = ask;
    trading([&] {
        for (auto& account : accounts_) account.book->onPrices(name);
        return 0;
    });
    for (size_t i = 0; i < charts_.size(); ++i)
        if (charts_[i]->expert && charts_[i]->symbol == name) runHandler(*charts_[i], Handler::Tick);
}

// --- the connection and what the experts see ---

void Terminal::disconnect() {
    connected_ = false;
    steps_.erase(std::remove_if(steps_.begin(), steps_.end(), [](const Step& s) { return s.what != Step::StartExperts; }),
                 steps_.end());
    if (current().mode == AccountMode::Mt4)
        shown4_ = std::make_unique<Mt4Lists>(shownMt4());
    else
        shown5_ = std::make_unique<Mt5Lists>(shownMt5());
}

void Terminal::reconnect(const Loading& loading) { load(loading, false); }

// The lists are emptied and arrive again as loading says.
void Terminal::load(const Loading& loading, bool startExperts) {
    connected_ = false;
    shown4_ = std::make_unique<Mt4Lists>();
    shown5_ = std::make_unique<Mt5Lists>();
    const int64_t now = market_.nowMs;
    steps_.erase(std::remove_if(steps_.begin(), steps_.end(), [](const Step& s) { return s.what != Step::StartExperts; }),
                 steps_.end());
    steps_.push_back({now + loading.connectMs, Step::Connect});
    steps_.push_back({now + std::max(loading.connectMs, loading.ordersMs), Step::Orders});
    const int64_t live = now + std::max({loading.connectMs, loading.ordersMs, loading.historyMs});
    steps_.push_back({live, Step::History});
    if (startExperts) steps_.push_back({std::min(live, now + kMostStartDelayMs), Step::StartExperts});
    std::stable_sort(steps_.begin(), steps_.end(), [](const Step& a, const Step& b) { return a.atMs < b.atMs; });
    while (!steps_.empty() && steps_.front().atMs <= now) {
        const Step step = steps_.front();
        steps_.erase(steps_.begin());
        takeStep(step);
    }
}

void Terminal::takeStep(const Step& step) {
    switch (step.what) {
        case Step::Connect: connected_ = true; break;
        case Step::Orders:
            if (current().mode == AccountMode::Mt4) {
                shown4_->open = book4().lists().open;
            } else {
                shown5_->positions = book5().lists().positions;
                shown5_->orders = book5().lists().orders;
            }
            break;
        case Step::History:
            shown4_.reset();
            shown5_.reset();
            break;
        case Step::StartExperts: {
            const std::vector<int> waiting = std::move(waitingCharts_);
            waitingCharts_.clear();
            for (int id : waiting)
                if (Chart* c = chart(id); c && !c->expert) startChart(*c);  // not one another's OnInit started
            break;
        }
    }
}

const Mt4Lists& Terminal::shownMt4() const { return shown4_ ? *shown4_ : book4().lists(); }
const Mt5Lists& Terminal::shownMt5() const { return shown5_ ? *shown5_ : book5().lists(); }

// --- time ---

void Terminal::advance(int64_t ms) {
    const int64_t target = market_.nowMs + std::max<int64_t>(ms, 0);
    for (;;) {
        int64_t next = std::min(target + 1, current().book->nextDueMs());
        if (!steps_.empty()) next = std::min(next, steps_.front().atMs);
        for (auto& c : charts_)
            if (c->expert && c->timerMs > 0) next = std::min(next, c->nextTimerMs);
        if (next > target) break;
        market_.nowMs = std::max(market_.nowMs, next);
        trading([&] {
            current().book->processDue();
            return 0;
        });
        while (!steps_.empty() && steps_.front().atMs <= market_.nowMs) {
            const Step step = steps_.front();
            steps_.erase(steps_.begin());
            takeStep(step);
        }
        for (size_t i = 0; i < charts_.size(); ++i) {
            Chart& c = *charts_[i];
            if (!c.expert || c.timerMs <= 0 || c.nextTimerMs > market_.nowMs) continue;
            c.nextTimerMs = market_.nowMs + c.timerMs;  // at most one timer event waits in the queue
            runHandler(c, Handler::Timer);
        }
    }
    market_.nowMs = target;
    trading([&] {
        current().book->processDue();
        return 0;
    });
}

// --- charts ---

// One event handler of the chart's expert, with what other threads do
// meanwhile, then the trade events that came in while it ran.
int Terminal::runHandler(Chart& c, Handler handler) {
    int result = 0;
    do {
        c.busy = true;
        c.calls = 0;
        c.tradePending = handler == Handler::Trade ? false : c.tradePending;
        switch (handler) {
            case Handler::Init: result = c.expert->init(); break;
            case Handler::Tick: c.expert->tick(); break;
            case Handler::Timer: c.expert->timer(); break;
            case Handler::Trade: c.expert->trade(); break;
        }
        c.busy = false;
        fireInterrupts(c, true);
        handler = Handler::Trade;
    } while (c.expert && c.tradePending && result == 0);
    return result;
}

void Terminal::interruptAt(int chartId, int call, std::function<void()> action) {
    interrupts_.push_back({chartId, call, std::move(action)});
}

void Terminal::callPoint(int chartId) {
    Chart* c = chart(chartId);
    if (!c || !c->busy) return;
    ++c->calls;
    fireInterrupts(*c, false);
}

void Terminal::fireInterrupts(Chart& c, bool all) {
    for (size_t i = 0; i < interrupts_.size();) {
        if (interrupts_[i].chartId != c.id || (!all && interrupts_[i].call != c.calls)) {
            ++i;
            continue;
        }
        auto action = std::move(interrupts_[i].action);
        interrupts_.erase(interrupts_.begin() + static_cast<std::ptrdiff_t>(i));
        action();
        i = 0;
    }
}

bool Terminal::startChart(Chart& chart) {
    if (!chart.expert) {
        chart.expert = factory_();
        chart.expert->bind(*this, chart.id);
    }
    if (runHandler(chart, Handler::Init) == 0) return true;
    chart.expert->deinit(ReasonInitFailed);
    chart.expert.reset();
    chart.timerMs = 0;
    return false;
}

void Terminal::stopExpert(Chart& chart, int reason) {
    if (!chart.expert) return;
    chart.expert->deinit(reason);
    chart.timerMs = 0;  // the terminal destroys a timer left running
}

Terminal::Chart* Terminal::chart(int id) {
    for (auto& c : charts_)
        if (c->id == id) return c.get();
    return nullptr;
}

int Terminal::addChart(const std::string& symbolName) {
    auto c = std::make_unique<Chart>();
    c->id = nextChartId_++;
    c->symbol = symbolName;
    charts_.push_back(std::move(c));
    return charts_.back()->id;
}

bool Terminal::startExpert(int chartId) {
    Chart* c = chart(chartId);
    return c && startChart(*c);
}

int Terminal::attachExpert(const std::string& symbolName) {
    const int id = addChart(symbolName);
    return startExpert(id) ? id : 0;
}

void Terminal::detachExpert(int chartId) {
    Chart* c = chart(chartId);
    if (!c) return;
    stopExpert(*c, ReasonRemove);
    c->expert.reset();
}

void Terminal::crashExpert(int chartId) {
    Chart* c = chart(chartId);
    if (!c) return;
    c->expert.reset();
    c->timerMs = 0;
}

void Terminal::changeTimeframe(int chartId) {
    Chart* c = chart(chartId);
    if (!c || !c->expert) return;
    stopExpert(*c, ReasonChartChange);
    startChart(*c);
}

void Terminal::recompile() {
    for (size_t i = 0; i < charts_.size(); ++i) {
        Chart& c = *charts_[i];
        if (!c.expert) continue;
        stopExpert(c, ReasonRecompile);
        c.expert.reset();
        startChart(c);
    }
}

void Terminal::restart(int64_t offMs, const Loading& loading) {
    waitingCharts_.clear();
    for (auto& c : charts_) {
        if (!c->expert) continue;
        stopExpert(*c, ReasonClose);
        c->expert.reset();
        waitingCharts_.push_back(c->id);
    }
    openFiles_.clear();
    std::erase_if(globals_, [](const auto& g) { return g.second.temporary; });
    market_.nowMs += std::max<int64_t>(offMs, 0);  // the server went on meanwhile
    trading([&] {
        current().book->processDue();
        return 0;
    });
    load(loading, true);
}

bool Terminal::hasExpert(int chartId) const {
    for (auto& c : charts_)
        if (c->id == chartId) return c->expert != nullptr;
    return false;
}

std::string Terminal::chartComment(int chartId) const {
    for (auto& c : charts_)
        if (c->id == chartId) return c->comment;
    return {};
}

bool Terminal::setTimer(int chartId, int periodMs) {
    Chart* c = chart(chartId);
    if (!c) return false;
    if (periodMs > 0 && failTimers_ > 0) {
        --failTimers_;
        return false;
    }
    c->timerMs = periodMs;
    c->nextTimerMs = market_.nowMs + periodMs;
    return true;
}

void Terminal::setComment(int chartId, const std::string& text) {
    if (Chart* c = chart(chartId)) c->comment = text;
}

// --- text and the file sandbox ---

std::string Terminal::toCodePage(const std::u16string& text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t unit : text) {
        if (unit < 0x80) {
            bytes += static_cast<char>(unit);
        } else if (codePage_ == CodePage::DoubleByte) {
            bytes += static_cast<char>(0x81 + (unit >> 8) % 0x7E);  // a lead byte, then a trail byte
            bytes += static_cast<char>(0x40 + (unit & 0xFF) % 0xBD);
        } else {
            bytes += unit < 0x100 ? static_cast<char>(unit) : '?';
        }
    }
    return bytes;
}

std::filesystem::path Terminal::sandboxPath(const std::string& name) const {
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return files_ / std::filesystem::path(std::u8string(relative.begin(), relative.end()));
}

int Terminal::openFile(int chartId, const std::string& name) {
    if (failOpens_ > 0) {
        --failOpens_;
        return -1;
    }
    auto file = std::make_unique<OpenFile>();
    file->name = name;
    file->chartId = chartId;
    file->out.open(sandboxPath(name), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file->out) return -1;
    const int handle = nextHandle_++;
    openFiles_[handle] = std::move(file);
    return handle;
}

size_t Terminal::writeFile(int handle, const std::string& bytes) {
    auto it = openFiles_.find(handle);
    if (it == openFiles_.end()) return 0;
    it->second->out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    it->second->out.flush();  // FileClose reports nothing, so a failure must show here
    return it->second->out ? bytes.size() : 0;
}

void Terminal::closeFile(int handle) {
    auto it = openFiles_.find(handle);
    if (it == openFiles_.end()) return;
    lastWriter_[it->second->name] = it->second->chartId;
    openFiles_.erase(it);
}

bool Terminal::fileExists(const std::string& name) const {
    std::error_code ec;
    return std::filesystem::is_regular_file(sandboxPath(name), ec);
}

bool Terminal::moveFile(const std::string& from, const std::string& to, bool rewrite) {
    if (failMoves_ > 0) {
        --failMoves_;
        return false;
    }
    std::error_code ec;
    const auto target = sandboxPath(to);
    if (!rewrite && std::filesystem::exists(target, ec)) return false;
    std::filesystem::rename(sandboxPath(from), target, ec);
    if (ec) return false;
    if (logWatcher_ && to == "systemorder.log") {
        std::ifstream in(target, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        logWatcher_(lastWriter_[from], bytes.str());
    }
    return true;
}

}  // namespace mtsim
