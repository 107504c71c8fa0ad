// What MQL4 and MQL5 share of the runtime our experts use, for compiling
// them as C++. The build puts an expert's source (less its #property lines)
// into a class derived from
// Mql4Program or Mql5Program, both derived from MqlProgram, so the expert's
// globals are members and each instance is one copy on one chart. The
// functions are backed by the simulated terminal; every one that reaches
// the terminal is a point where another thread may act (Terminal::callPoint).
//
// The functions have MQL's names and parameters (the same in MQL4 and MQL5
// for everything here); the notes say what the terminal does that the
// declaration does not show.
#pragma once
#include <cstddef>
#include <set>
#include <string>
#include <type_traits>

#include "sim_terminal.h"

// MQL's string: UTF-16, as StringLen() and StringGetCharacter() count it.
// Unlike std::string it has no conversion from numbers, so the C++ build
// rejects the implicit number-to-text that MQL would allow (with a
// different result), as the MQL check does.
class string {
public:
    string() = default;
    string(const char* utf8);
    explicit string(std::u16string units) : units_(std::move(units)) {}
    template <class T>
        requires std::is_arithmetic_v<T>
    string(T) = delete;
    string& operator+=(const string& more) {
        units_ += more.units_;
        return *this;
    }
    friend string operator+(string left, const string& right) { return left += right; }
    friend bool operator==(const string& a, const string& b) { return a.units_ == b.units_; }
    const std::u16string& units() const { return units_; }
    std::string utf8() const;

private:
    std::u16string units_;
};

typedef unsigned int uint;
typedef unsigned short ushort;
typedef unsigned char uchar;
#ifdef __GLIBC__
#include <sys/types.h>  // glibc already names unsigned long (8 bytes here) ulong
#else
typedef unsigned long long ulong;
#endif
static_assert(sizeof(ulong) == 8, "MQL's ulong has 8 bytes");
typedef long long datetime;  // MQL's datetime: seconds since 1970, 8 bytes

// MqlDateTime, as TimeToStruct() fills it.
struct MqlDateTime {
    int year, mon, day, hour, min, sec, day_of_week, day_of_year;
};

const int FILE_READ = 1, FILE_WRITE = 2, FILE_BIN = 4, FILE_CSV = 8, FILE_TXT = 16, FILE_ANSI = 32, FILE_UNICODE = 64,
          FILE_SHARE_READ = 128, FILE_SHARE_WRITE = 256, FILE_REWRITE = 512, FILE_COMMON = 4096;
const int INVALID_HANDLE = -1;
const uint CP_ACP = 0;
const int WHOLE_ARRAY = -1;
const int TIME_DATE = 1, TIME_MINUTES = 2, TIME_SECONDS = 4;
const int INIT_SUCCEEDED = 0, INIT_FAILED = 1;
const int REASON_PROGRAM = 0, REASON_REMOVE = 1, REASON_RECOMPILE = 2, REASON_CHARTCHANGE = 3, REASON_CHARTCLOSE = 4,
          REASON_PARAMETERS = 5, REASON_ACCOUNT = 6, REASON_TEMPLATE = 7, REASON_INITFAILED = 8, REASON_CLOSE = 9;
// The errors the simulated terminal sets. GetLastError() is each language's
// own: MQL4 clears the error it gives, MQL5 keeps it.
const int ERR_NO_ERROR = 0, ERR_GLOBAL_VARIABLE_NOT_FOUND = 4501, ERR_CANNOT_OPEN_FILE = 5004,
          ERR_FILE_WRITE_ERROR = 5007, ERR_INVALID_FUNCTION_PARAMVALUE = 4051, ERR_UNKNOWN_SYMBOL = 4106,
          ERR_CANNOT_SET_TIMER = 4030;

// The property identifiers the experts read; their values are ours (MQL
// does not fix them), those the experts compare with are MQL's.
// ACCOUNT_MARGIN_MODE is MQL5's only.
enum ENUM_ACCOUNT_INFO_INTEGER { ACCOUNT_LOGIN, ACCOUNT_TRADE_MODE, ACCOUNT_MARGIN_MODE };
enum ENUM_ACCOUNT_TRADE_MODE { ACCOUNT_TRADE_MODE_DEMO = 0, ACCOUNT_TRADE_MODE_CONTEST = 1, ACCOUNT_TRADE_MODE_REAL = 2 };
enum ENUM_ACCOUNT_MARGIN_MODE {
    ACCOUNT_MARGIN_MODE_RETAIL_NETTING = 0,
    ACCOUNT_MARGIN_MODE_EXCHANGE = 1,
    ACCOUNT_MARGIN_MODE_RETAIL_HEDGING = 2
};
enum ENUM_TERMINAL_INFO_INTEGER { TERMINAL_CONNECTED };
enum ENUM_SYMBOL_INFO_INTEGER { SYMBOL_DIGITS };
enum ENUM_SYMBOL_INFO_DOUBLE { SYMBOL_BID, SYMBOL_ASK, SYMBOL_POINT, SYMBOL_VOLUME_STEP };

class MqlProgram : public mtsim::Expert {
public:
    void bind(mtsim::Terminal& terminal, int chartId) override;
    int init() override { return OnInit(); }
    void deinit(int reason) override { OnDeinit(reason); }
    void tick() override { OnTick(); }
    void timer() override { OnTimer(); }

    // The expert's event handlers; the expert's own definitions replace these.
    virtual int OnInit() { return INIT_SUCCEEDED; }
    virtual void OnDeinit(const int) {}
    virtual void OnTick() {}
    virtual void OnTimer() {}

protected:
    // --- account, terminal, symbols ---
    long long AccountInfoInteger(ENUM_ACCOUNT_INFO_INTEGER property_id);
    // TERMINAL_CONNECTED: "Connection to a trade server".
    int TerminalInfoInteger(ENUM_TERMINAL_INFO_INTEGER property_id);
    long long SymbolInfoInteger(const string& name, ENUM_SYMBOL_INFO_INTEGER prop_id);
    double SymbolInfoDouble(const string& name, ENUM_SYMBOL_INFO_DOUBLE prop_id);

    // --- time ---
    datetime TimeCurrent();
    datetime TimeLocal();
    uint GetTickCount();
    string TimeToString(datetime value, int mode = TIME_DATE | TIME_MINUTES);
    bool TimeToStruct(datetime dt, MqlDateTime& dt_struct);

    // --- events ---
    // False, with an error, when the timer cannot be set.
    bool EventSetMillisecondTimer(int milliseconds);
    void EventKillTimer();

    // --- terminal global variables ---
    bool GlobalVariableCheck(const string& name);
    bool GlobalVariableTemp(const string& name);
    double GlobalVariableGet(const string& name);
    datetime GlobalVariableSet(const string& name, double value);
    // Atomic: the check and the set are one step for every chart.
    bool GlobalVariableSetOnCondition(const string& name, double value, double check_value);
    bool GlobalVariableDel(const string& name);

    // --- files (FileOpen is each language's: their delimiters differ) ---
    // Bytes written: "twice as large as the number of string characters" for FILE_UNICODE; for FILE_ANSI
    // as many as the code page makes of them. Text files get CR before a lone LF and ignore length.
    uint FileWriteString(int file_handle, const string& text_string, int length = 0);
    void FileClose(int file_handle);
    bool FileMove(const string src_file_name, int common_flag, const string dst_file_name, int mode_flags);
    bool FileIsExist(const string file_name, int common_flag = 0);

    // --- text and numbers ---
    string DoubleToString(double value, int digits = 8);
    string IntegerToString(long long number, int str_len = 0, ushort fill_symbol = ' ');
    // UTF-16 units, as MQL counts them.
    int StringLen(const string& string_value);
    ushort StringGetCharacter(const string& string_value, int pos);
    string StringSubstr(const string& string_value, int start_pos, int length = -1);
    // The elements copied, the terminating 0 included.
    template <std::size_t N>
    int StringToCharArray(const string& text_string, uchar (&array)[N], int start = 0, int count = -1, uint codepage = CP_ACP) {
        return toCharArray(text_string, array, N, start, count, codepage);
    }
    double MathAbs(double value);
    double MathRound(double value);

    // --- output and errors ---
    // Print() and Comment() take one text argument here.
    void Print(const string& text);
    void Comment(const string& text);
    void ResetLastError();

    int openFile(const string& file_name, int open_flags);
    void call() { terminal_->callPoint(chartId_); }

    mtsim::Terminal* terminal_ = nullptr;
    int chartId_ = 0;
    int lastError_ = 0;

private:
    int toCharArray(const string& text, uchar* array, std::size_t size, int start, int count, uint codepage);
    std::set<int> unicodeFiles_;  // handles opened with FILE_UNICODE
};

#if !defined(KV_MQL_RUNTIME_IMPLEMENTATION) && !defined(KV_MQL4_RUNTIME_IMPLEMENTATION) && \
    !defined(KV_MQL5_RUNTIME_IMPLEMENTATION)
// MQL's input variables are read-only in the program.
#define input const
#endif
