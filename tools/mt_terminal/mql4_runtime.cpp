#define KV_MQL4_RUNTIME_IMPLEMENTATION
#include "mql4_runtime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// Calendar fields of a time in seconds since 1970 (UTC, as MT4's server time is taken).
std::tm calendar(datetime time) {
    // Days since 1970 to a civil date (Howard Hinnant's algorithm), so no
    // time zone or platform gmtime enters.
    long long days = time >= 0 ? time / 86400 : (time - 86399) / 86400;
    long long secs = time - days * 86400;
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long doe = days - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    std::tm t{};
    t.tm_mday = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.tm_mon = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);  // 1..12 here
    t.tm_year = static_cast<int>(yoe + era * 400 + (t.tm_mon <= 2 ? 1 : 0));
    t.tm_hour = static_cast<int>(secs / 3600);
    t.tm_min = static_cast<int>(secs / 60 % 60);
    t.tm_sec = static_cast<int>(secs % 60);
    return t;
}

}  // namespace

void Mql4Program::bind(mt4sim::Terminal& terminal, int chartId) {
    terminal_ = &terminal;
    chartId_ = chartId;
}

// --- account ---

int Mql4Program::AccountNumber() { return terminal_->accountNumber(); }
bool Mql4Program::IsDemo() { return terminal_->accountIsDemo(); }

// --- orders ---

int Mql4Program::OrdersTotal() { return static_cast<int>(terminal_->openOrders().size()); }
int Mql4Program::OrdersHistoryTotal() { return static_cast<int>(terminal_->history().size()); }

bool Mql4Program::OrderSelect(int index, int select, int pool) {
    if (select == SELECT_BY_TICKET) {
        for (const auto* list : {&terminal_->openOrders(), &terminal_->history()})
            for (const auto& o : *list)
                if (o.ticket == index) {
                    order_ = o;
                    return selected_ = true;
                }
    } else {
        const auto& list = pool == MODE_HISTORY ? terminal_->history() : terminal_->openOrders();
        if (index >= 0 && static_cast<size_t>(index) < list.size()) {
            order_ = list[static_cast<size_t>(index)];
            return selected_ = true;
        }
    }
    lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
    selected_ = false;
    return false;
}

bool Mql4Program::needOrder() {
    if (!selected_) lastError_ = ERR_NO_ORDER_SELECTED;
    return selected_;
}

int Mql4Program::OrderTicket() { return needOrder() ? order_.ticket : 0; }
int Mql4Program::OrderType() { return needOrder() ? order_.type : 0; }
string Mql4Program::OrderSymbol() { return needOrder() ? string(order_.symbol) : string(); }
double Mql4Program::OrderLots() { return needOrder() ? order_.lots : 0; }
double Mql4Program::OrderOpenPrice() { return needOrder() ? order_.openPrice : 0; }
double Mql4Program::OrderStopLoss() { return needOrder() ? order_.stopLoss : 0; }
double Mql4Program::OrderTakeProfit() { return needOrder() ? order_.takeProfit : 0; }
double Mql4Program::OrderProfit() { return needOrder() ? order_.profit : 0; }
double Mql4Program::OrderSwap() { return needOrder() ? order_.swap : 0; }
double Mql4Program::OrderCommission() { return needOrder() ? order_.commission : 0; }
datetime Mql4Program::OrderOpenTime() { return needOrder() ? order_.openTime : 0; }
datetime Mql4Program::OrderCloseTime() { return needOrder() ? order_.closeTime : 0; }
datetime Mql4Program::OrderExpiration() { return needOrder() ? order_.expiration : 0; }
int Mql4Program::OrderMagicNumber() { return needOrder() ? order_.magic : 0; }

// An open order shows the price it would close at, as in MT4's Trade tab.
double Mql4Program::OrderClosePrice() {
    if (!needOrder()) return 0;
    if (order_.closeTime != 0) return order_.closePrice;
    const mt4sim::Symbol* s = terminal_->symbol(order_.symbol);
    if (!s) return 0;
    bool buySide = order_.type == OP_BUY || order_.type == OP_BUYLIMIT || order_.type == OP_BUYSTOP;
    return buySide ? s->bid : s->ask;
}

// --- market ---

double Mql4Program::MarketInfo(string symbol, int type) {
    const mt4sim::Symbol* s = terminal_->symbol(symbol.bytes());
    if (!s) {
        lastError_ = ERR_UNKNOWN_SYMBOL;
        return 0;
    }
    switch (type) {
        case MODE_BID: return s->bid;
        case MODE_ASK: return s->ask;
        case MODE_POINT: return std::pow(10.0, -s->digits);
        case MODE_DIGITS: return s->digits;
        case MODE_LOTSTEP: return s->lotStep;
        default: lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE; return 0;
    }
}

// --- time ---

datetime Mql4Program::TimeCurrent() { return terminal_->nowSeconds(); }
datetime Mql4Program::TimeLocal() { return terminal_->nowSeconds(); }
uint Mql4Program::GetTickCount() { return static_cast<uint>(terminal_->nowMs()); }
int Mql4Program::TimeYear(datetime time) { return calendar(time).tm_year; }
int Mql4Program::TimeMonth(datetime time) { return calendar(time).tm_mon; }
int Mql4Program::TimeDay(datetime time) { return calendar(time).tm_mday; }

string Mql4Program::TimeToString(datetime value, int mode) {
    std::tm t = calendar(value);
    char text[32] = "";
    int used = 0;
    if (mode & TIME_DATE) used = std::snprintf(text, sizeof text, "%04d.%02d.%02d", t.tm_year, t.tm_mon, t.tm_mday);
    const char* gap = used > 0 ? " " : "";
    if (mode & TIME_SECONDS)
        std::snprintf(text + used, sizeof text - used, "%s%02d:%02d:%02d", gap, t.tm_hour, t.tm_min, t.tm_sec);
    else if (mode & TIME_MINUTES)
        std::snprintf(text + used, sizeof text - used, "%s%02d:%02d", gap, t.tm_hour, t.tm_min);
    return string(text);
}

// --- events ---

bool Mql4Program::EventSetMillisecondTimer(int milliseconds) {
    if (milliseconds <= 0) {
        lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
        return false;
    }
    terminal_->setTimer(chartId_, milliseconds);
    return true;
}

void Mql4Program::EventKillTimer() { terminal_->setTimer(chartId_, 0); }

// --- terminal global variables ---

bool Mql4Program::GlobalVariableCheck(string name) { return terminal_->globals().count(name.bytes()) > 0; }

bool Mql4Program::GlobalVariableTemp(string name) {
    auto& globals = terminal_->globals();
    if (!globals.count(name.bytes())) globals[name.bytes()] = {0, true};
    return true;
}

double Mql4Program::GlobalVariableGet(string name) {
    auto& globals = terminal_->globals();
    auto it = globals.find(name.bytes());
    if (it == globals.end()) {
        lastError_ = ERR_GLOBAL_VARIABLE_NOT_FOUND;
        return 0;
    }
    return it->second.value;
}

datetime Mql4Program::GlobalVariableSet(string name, double value) {
    terminal_->globals()[name.bytes()].value = value;
    return terminal_->nowSeconds();
}

bool Mql4Program::GlobalVariableSetOnCondition(string name, double value, double check_value) {
    auto& globals = terminal_->globals();
    auto it = globals.find(name.bytes());
    if (it == globals.end()) {
        lastError_ = ERR_GLOBAL_VARIABLE_NOT_FOUND;
        return false;
    }
    if (it->second.value != check_value) return false;
    it->second.value = value;
    return true;
}

bool Mql4Program::GlobalVariableDel(string name) { return terminal_->globals().erase(name.bytes()) > 0; }

// --- files: only what the expert does, writing a whole text file ---

int Mql4Program::FileOpen(string file_name, int open_flags, short, uint) {
    bool writeOnly = (open_flags & FILE_WRITE) && !(open_flags & (FILE_READ | FILE_COMMON));
    bool text = (open_flags & (FILE_TXT | FILE_CSV)) != 0;
    int handle = writeOnly ? terminal_->openFile(file_name.bytes(), text) : INVALID_HANDLE;
    if (handle == INVALID_HANDLE) lastError_ = ERR_CANNOT_OPEN_FILE;
    return handle;
}

// Text files get CR before a lone LF and ignore length, as in MT4.
uint Mql4Program::FileWriteString(int file_handle, const string text_string, int length) {
    size_t written = terminal_->writeFile(file_handle, text_string.bytes(), length > 0 ? static_cast<size_t>(length) : 0);
    if (written == 0 && !text_string.bytes().empty()) lastError_ = ERR_FILE_WRITE_ERROR;
    return static_cast<uint>(written);
}

void Mql4Program::FileClose(int file_handle) { terminal_->closeFile(file_handle); }

bool Mql4Program::FileMove(const string src_file_name, int common_flag, const string dst_file_name, int mode_flags) {
    bool ok = common_flag == 0 && !(mode_flags & FILE_COMMON) &&
              terminal_->moveFile(src_file_name.bytes(), dst_file_name.bytes(), (mode_flags & FILE_REWRITE) != 0);
    if (!ok) lastError_ = ERR_CANNOT_OPEN_FILE;
    return ok;
}

bool Mql4Program::FileIsExist(const string file_name, int common_flag) {
    return common_flag == 0 && terminal_->fileExists(file_name.bytes());
}

// --- text and numbers ---

string Mql4Program::DoubleToString(double value, int digits) {
    if (digits < 0 || digits > 16) digits = 8;
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    std::string bytes = text;
    if (bytes.find_first_not_of("-0.") == std::string::npos && bytes[0] == '-') bytes.erase(0, 1);  // no "-0.00"
    return string(bytes);
}

string Mql4Program::IntegerToString(long long number, int str_len, ushort fill_symbol) {
    std::string digits = std::to_string(number);
    if (str_len > 0 && digits.size() < static_cast<size_t>(str_len))
        digits.insert(0, static_cast<size_t>(str_len) - digits.size(), static_cast<char>(fill_symbol));
    return string(digits);
}

int Mql4Program::StringLen(string string_value) { return static_cast<int>(string_value.bytes().size()); }

ushort Mql4Program::StringGetCharacter(string string_value, int pos) {
    const std::string& bytes = string_value.bytes();
    if (pos < 0 || static_cast<size_t>(pos) >= bytes.size()) return 0;
    return static_cast<unsigned char>(bytes[static_cast<size_t>(pos)]);
}

double Mql4Program::MathAbs(double value) { return std::fabs(value); }
double Mql4Program::MathRound(double value) { return std::round(value); }

// --- output and errors ---

void Mql4Program::Print(string text) { terminal_->print(text.bytes()); }
void Mql4Program::Comment(string text) { terminal_->setComment(chartId_, text.bytes()); }

int Mql4Program::GetLastError() {
    int error = lastError_;
    lastError_ = 0;
    return error;
}

void Mql4Program::ResetLastError() { lastError_ = 0; }
