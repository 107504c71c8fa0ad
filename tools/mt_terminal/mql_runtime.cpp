#define KV_MQL_RUNTIME_IMPLEMENTATION
#include "mql_runtime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/utf8_text.h"

namespace {

// Calendar fields of a time in seconds since 1970 (UTC, as the server time is taken).
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

string::string(const char* utf8) : units_(kv::platform::utf16FromUtf8(utf8 ? utf8 : "")) {}
std::string string::utf8() const { return kv::platform::utf8FromUtf16(units_); }

void MqlProgram::bind(mtsim::Terminal& terminal, int chartId) {
    terminal_ = &terminal;
    chartId_ = chartId;
}

// --- account, terminal, symbols ---

long long MqlProgram::AccountInfoInteger(ENUM_ACCOUNT_INFO_INTEGER property_id) {
    call();
    switch (property_id) {
        case ACCOUNT_LOGIN: return terminal_->accountNumber();
        case ACCOUNT_TRADE_MODE: return terminal_->accountIsDemo() ? ACCOUNT_TRADE_MODE_DEMO : ACCOUNT_TRADE_MODE_REAL;
        case ACCOUNT_MARGIN_MODE:
            return terminal_->accountMode() == mtsim::AccountMode::Netting ? ACCOUNT_MARGIN_MODE_RETAIL_NETTING
                                                                           : ACCOUNT_MARGIN_MODE_RETAIL_HEDGING;
    }
    lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
    return 0;
}

int MqlProgram::TerminalInfoInteger(ENUM_TERMINAL_INFO_INTEGER) {
    call();
    return terminal_->connected() ? 1 : 0;
}

long long MqlProgram::SymbolInfoInteger(const string& name, ENUM_SYMBOL_INFO_INTEGER) {
    const mtsim::Symbol* s = terminal_->symbol(name.utf8());
    if (!s) {
        lastError_ = ERR_UNKNOWN_SYMBOL;
        return 0;
    }
    return s->digits;  // SYMBOL_DIGITS, the one identifier here
}

double MqlProgram::SymbolInfoDouble(const string& name, ENUM_SYMBOL_INFO_DOUBLE prop_id) {
    const mtsim::Symbol* s = terminal_->symbol(name.utf8());
    if (!s) {
        lastError_ = ERR_UNKNOWN_SYMBOL;
        return 0;
    }
    switch (prop_id) {
        case SYMBOL_BID: return s->bid;
        case SYMBOL_ASK: return s->ask;
        case SYMBOL_POINT: return std::pow(10.0, -s->digits);
        case SYMBOL_VOLUME_STEP: return s->lotStep;
    }
    return 0;
}

// --- time ---

datetime MqlProgram::TimeCurrent() { return terminal_->nowSeconds(); }
datetime MqlProgram::TimeLocal() { return terminal_->nowSeconds(); }
uint MqlProgram::GetTickCount() { return static_cast<uint>(terminal_->nowMs()); }

string MqlProgram::TimeToString(datetime value, int mode) {
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

bool MqlProgram::TimeToStruct(datetime dt, MqlDateTime& dt_struct) {
    std::tm t = calendar(dt);
    long long days = dt >= 0 ? dt / 86400 : (dt - 86399) / 86400;
    static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    bool leap = (t.tm_year % 4 == 0 && t.tm_year % 100 != 0) || t.tm_year % 400 == 0;
    int dayOfYear = before[t.tm_mon - 1] + t.tm_mday - 1 + (leap && t.tm_mon > 2 ? 1 : 0);
    dt_struct = {t.tm_year, t.tm_mon,  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                 static_cast<int>(((days % 7) + 11) % 7), dayOfYear};  // 1970-01-01 was a Thursday
    return true;
}

// --- events ---

bool MqlProgram::EventSetMillisecondTimer(int milliseconds) {
    call();
    if (milliseconds <= 0) {
        lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
        return false;
    }
    if (terminal_->setTimer(chartId_, milliseconds)) return true;
    lastError_ = ERR_CANNOT_SET_TIMER;
    return false;
}

void MqlProgram::EventKillTimer() {
    call();
    terminal_->setTimer(chartId_, 0);
}

// --- terminal global variables ---

bool MqlProgram::GlobalVariableCheck(const string& name) {
    call();
    return terminal_->globals().count(name.utf8()) > 0;
}

bool MqlProgram::GlobalVariableTemp(const string& name) {
    call();
    auto& globals = terminal_->globals();
    if (!globals.count(name.utf8())) globals[name.utf8()] = {0, true};
    return true;
}

double MqlProgram::GlobalVariableGet(const string& name) {
    call();
    auto& globals = terminal_->globals();
    auto it = globals.find(name.utf8());
    if (it == globals.end()) {
        lastError_ = ERR_GLOBAL_VARIABLE_NOT_FOUND;
        return 0;
    }
    return it->second.value;
}

datetime MqlProgram::GlobalVariableSet(const string& name, double value) {
    call();
    terminal_->globals()[name.utf8()].value = value;
    return terminal_->nowSeconds();
}

bool MqlProgram::GlobalVariableSetOnCondition(const string& name, double value, double check_value) {
    call();
    auto& globals = terminal_->globals();
    auto it = globals.find(name.utf8());
    if (it == globals.end()) {
        lastError_ = ERR_GLOBAL_VARIABLE_NOT_FOUND;
        return false;
    }
    if (it->second.value != check_value) return false;
    it->second.value = value;
    return true;
}

bool MqlProgram::GlobalVariableDel(const string& name) {
    call();
    return terminal_->globals().erase(name.utf8()) > 0;
}

// --- files: only what the experts do, writing a whole text file ---

int MqlProgram::openFile(const string& file_name, int open_flags) {
    call();
    const bool writeOnly = (open_flags & FILE_WRITE) && !(open_flags & (FILE_READ | FILE_COMMON));
    const int handle = writeOnly ? terminal_->openFile(chartId_, file_name.utf8()) : INVALID_HANDLE;
    if (handle == INVALID_HANDLE) lastError_ = ERR_CANNOT_OPEN_FILE;
    // Without FILE_ANSI a text file's strings are UTF-16.
    if (handle != INVALID_HANDLE && (open_flags & (FILE_TXT | FILE_CSV)) && !(open_flags & FILE_ANSI))
        unicodeFiles_.insert(handle);
    return handle;
}

uint MqlProgram::FileWriteString(int file_handle, const string& text_string, int) {
    call();
    std::u16string text;
    for (char16_t unit : text_string.units()) {
        if (unit == u'\n' && (text.empty() || text.back() != u'\r')) text += u'\r';
        text += unit;
    }
    std::string bytes;
    if (unicodeFiles_.count(file_handle)) {
        for (char16_t unit : text) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
    } else {
        bytes = terminal_->toCodePage(text);
    }
    const size_t written = terminal_->writeFile(file_handle, bytes);
    if (written == 0 && !bytes.empty()) lastError_ = ERR_FILE_WRITE_ERROR;
    return static_cast<uint>(written);
}

void MqlProgram::FileClose(int file_handle) {
    call();
    unicodeFiles_.erase(file_handle);
    terminal_->closeFile(file_handle);
}

bool MqlProgram::FileMove(const string src_file_name, int common_flag, const string dst_file_name, int mode_flags) {
    call();
    bool ok = common_flag == 0 && !(mode_flags & FILE_COMMON) &&
              terminal_->moveFile(src_file_name.utf8(), dst_file_name.utf8(), (mode_flags & FILE_REWRITE) != 0);
    if (!ok) lastError_ = ERR_CANNOT_OPEN_FILE;
    return ok;
}

bool MqlProgram::FileIsExist(const string file_name, int common_flag) {
    call();
    return common_flag == 0 && terminal_->fileExists(file_name.utf8());
}

// --- text and numbers ---

string MqlProgram::DoubleToString(double value, int digits) {
    if (digits < 0 || digits > 16) digits = 8;
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    std::string bytes = text;
    if (bytes.find_first_not_of("-0.") == std::string::npos && bytes[0] == '-') bytes.erase(0, 1);  // no "-0.00"
    return string(bytes.c_str());
}

string MqlProgram::IntegerToString(long long number, int str_len, ushort fill_symbol) {
    std::u16string digits;
    for (char c : std::to_string(number)) digits += static_cast<char16_t>(c);
    if (str_len > 0 && digits.size() < static_cast<size_t>(str_len))
        digits.insert(0, static_cast<size_t>(str_len) - digits.size(), static_cast<char16_t>(fill_symbol));
    return string(std::move(digits));
}

int MqlProgram::StringLen(const string& string_value) { return static_cast<int>(string_value.units().size()); }

ushort MqlProgram::StringGetCharacter(const string& string_value, int pos) {
    const std::u16string& units = string_value.units();
    if (pos < 0 || static_cast<size_t>(pos) >= units.size()) return 0;
    return units[static_cast<size_t>(pos)];
}

string MqlProgram::StringSubstr(const string& string_value, int start_pos, int length) {
    const std::u16string& units = string_value.units();
    if (start_pos < 0 || static_cast<size_t>(start_pos) >= units.size()) return string();
    return string(units.substr(static_cast<size_t>(start_pos), length < 0 ? std::u16string::npos : static_cast<size_t>(length)));
}

int MqlProgram::toCharArray(const string& text, uchar* array, std::size_t size, int start, int count, uint) {
    std::string bytes = terminal_->toCodePage(text.units());
    bytes += '\0';
    if (start < 0 || static_cast<std::size_t>(start) >= size) return 0;
    std::size_t n = std::min(bytes.size(), size - static_cast<std::size_t>(start));
    if (count >= 0) n = std::min(n, static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < n; ++i) array[static_cast<std::size_t>(start) + i] = static_cast<uchar>(bytes[i]);
    return static_cast<int>(n);
}

double MqlProgram::MathAbs(double value) { return std::fabs(value); }
double MqlProgram::MathRound(double value) { return std::round(value); }

// --- output and errors ---

void MqlProgram::Print(const string& text) { terminal_->print(text.utf8()); }
void MqlProgram::Comment(const string& text) { terminal_->setComment(chartId_, text.utf8()); }

void MqlProgram::ResetLastError() { lastError_ = 0; }
