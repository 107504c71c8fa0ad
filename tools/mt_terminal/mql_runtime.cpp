#define KV_MQL_RUNTIME_IMPLEMENTATION
#include "mql_runtime.h"

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

void MqlProgram::bind(mt4sim::Terminal& terminal, int chartId) {
    terminal_ = &terminal;
    chartId_ = chartId;
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
    if (milliseconds <= 0) {
        lastError_ = ERR_INVALID_FUNCTION_PARAMVALUE;
        return false;
    }
    terminal_->setTimer(chartId_, milliseconds);
    return true;
}

void MqlProgram::EventKillTimer() { terminal_->setTimer(chartId_, 0); }

// --- terminal global variables ---

bool MqlProgram::GlobalVariableCheck(string name) { return terminal_->globals().count(name.bytes()) > 0; }

bool MqlProgram::GlobalVariableTemp(string name) {
    auto& globals = terminal_->globals();
    if (!globals.count(name.bytes())) globals[name.bytes()] = {0, true};
    return true;
}

double MqlProgram::GlobalVariableGet(string name) {
    auto& globals = terminal_->globals();
    auto it = globals.find(name.bytes());
    if (it == globals.end()) {
        lastError_ = ERR_GLOBAL_VARIABLE_NOT_FOUND;
        return 0;
    }
    return it->second.value;
}

datetime MqlProgram::GlobalVariableSet(string name, double value) {
    terminal_->globals()[name.bytes()].value = value;
    return terminal_->nowSeconds();
}

bool MqlProgram::GlobalVariableSetOnCondition(string name, double value, double check_value) {
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

bool MqlProgram::GlobalVariableDel(string name) { return terminal_->globals().erase(name.bytes()) > 0; }

// --- files: only what the expert does, writing a whole text file ---

int MqlProgram::FileOpen(string file_name, int open_flags, short, uint) {
    bool writeOnly = (open_flags & FILE_WRITE) && !(open_flags & (FILE_READ | FILE_COMMON));
    bool text = (open_flags & (FILE_TXT | FILE_CSV)) != 0;
    int handle = writeOnly ? terminal_->openFile(file_name.bytes(), text) : INVALID_HANDLE;
    if (handle == INVALID_HANDLE) lastError_ = ERR_CANNOT_OPEN_FILE;
    return handle;
}

// Text files get CR before a lone LF and ignore length, as in MT4.
uint MqlProgram::FileWriteString(int file_handle, const string text_string, int length) {
    size_t written = terminal_->writeFile(file_handle, text_string.bytes(), length > 0 ? static_cast<size_t>(length) : 0);
    if (written == 0 && !text_string.bytes().empty()) lastError_ = ERR_FILE_WRITE_ERROR;
    return static_cast<uint>(written);
}

void MqlProgram::FileClose(int file_handle) { terminal_->closeFile(file_handle); }

bool MqlProgram::FileMove(const string src_file_name, int common_flag, const string dst_file_name, int mode_flags) {
    bool ok = common_flag == 0 && !(mode_flags & FILE_COMMON) &&
              terminal_->moveFile(src_file_name.bytes(), dst_file_name.bytes(), (mode_flags & FILE_REWRITE) != 0);
    if (!ok) lastError_ = ERR_CANNOT_OPEN_FILE;
    return ok;
}

bool MqlProgram::FileIsExist(const string file_name, int common_flag) {
    return common_flag == 0 && terminal_->fileExists(file_name.bytes());
}

// --- text and numbers ---

string MqlProgram::DoubleToString(double value, int digits) {
    if (digits < 0 || digits > 16) digits = 8;
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    std::string bytes = text;
    if (bytes.find_first_not_of("-0.") == std::string::npos && bytes[0] == '-') bytes.erase(0, 1);  // no "-0.00"
    return string(bytes);
}

string MqlProgram::IntegerToString(long long number, int str_len, ushort fill_symbol) {
    std::string digits = std::to_string(number);
    if (str_len > 0 && digits.size() < static_cast<size_t>(str_len))
        digits.insert(0, static_cast<size_t>(str_len) - digits.size(), static_cast<char>(fill_symbol));
    return string(digits);
}

int MqlProgram::StringLen(string string_value) { return static_cast<int>(string_value.bytes().size()); }

ushort MqlProgram::StringGetCharacter(string string_value, int pos) {
    const std::string& bytes = string_value.bytes();
    if (pos < 0 || static_cast<size_t>(pos) >= bytes.size()) return 0;
    return static_cast<unsigned char>(bytes[static_cast<size_t>(pos)]);
}

double MqlProgram::MathAbs(double value) { return std::fabs(value); }
double MqlProgram::MathRound(double value) { return std::round(value); }

// --- output and errors ---

void MqlProgram::Print(string text) { terminal_->print(text.bytes()); }
void MqlProgram::Comment(string text) { terminal_->setComment(chartId_, text.bytes()); }

void MqlProgram::ResetLastError() { lastError_ = 0; }
