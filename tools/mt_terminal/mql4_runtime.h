// The part of MQL4's runtime that our expert uses, for compiling the .mq4
// as C++. The build puts the expert's source (less its #property lines)
// into a class derived from Mql4Program, so the expert's globals are
// members and each instance is one copy on one chart. The functions are
// backed by the simulated terminal.
//
// Above each function: its MQL4 signature, as MQL4's reference gives it.
#pragma once
#include "sim_terminal.h"

#include <string>
#include <type_traits>

// MQL4's string. Unlike std::string it has no conversion from numbers, so
// the C++ build rejects the implicit number-to-text that MQL4 would allow
// (with a different result) just as the MQL4 check does.
class string {
public:
    string() = default;
    string(const char* text) : bytes_(text ? text : "") {}
    explicit string(std::string bytes) : bytes_(std::move(bytes)) {}
    template <class T>
        requires std::is_arithmetic_v<T>
    string(T) = delete;
    string& operator+=(const string& more) {
        bytes_ += more.bytes_;
        return *this;
    }
    friend string operator+(string left, const string& right) { return left += right; }
    friend bool operator==(const string& a, const string& b) { return a.bytes_ == b.bytes_; }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

typedef unsigned int uint;
typedef unsigned short ushort;
typedef unsigned char uchar;
typedef long long datetime;  // MQL4's datetime: seconds since 1970, 8 bytes

// Order types and selection.
const int OP_BUY = 0, OP_SELL = 1, OP_BUYLIMIT = 2, OP_SELLLIMIT = 3, OP_BUYSTOP = 4, OP_SELLSTOP = 5;
const int SELECT_BY_POS = 0, SELECT_BY_TICKET = 1;
const int MODE_TRADES = 0, MODE_HISTORY = 1;
// MarketInfo() identifiers.
const int MODE_BID = 9, MODE_ASK = 10, MODE_POINT = 11, MODE_DIGITS = 12, MODE_LOTSTEP = 24;
// File opening flags.
const int FILE_READ = 1, FILE_WRITE = 2, FILE_BIN = 4, FILE_CSV = 8, FILE_TXT = 16, FILE_ANSI = 32, FILE_UNICODE = 64,
          FILE_SHARE_READ = 128, FILE_SHARE_WRITE = 256, FILE_REWRITE = 512, FILE_COMMON = 4096;
const int INVALID_HANDLE = -1;
// TimeToString() modes.
const int TIME_DATE = 1, TIME_MINUTES = 2, TIME_SECONDS = 4;
// OnInit() results and OnDeinit() reasons.
const int INIT_SUCCEEDED = 0, INIT_FAILED = 1;
const int REASON_PROGRAM = 0, REASON_REMOVE = 1, REASON_RECOMPILE = 2, REASON_CHARTCHANGE = 3, REASON_CHARTCLOSE = 4,
          REASON_PARAMETERS = 5, REASON_ACCOUNT = 6, REASON_TEMPLATE = 7, REASON_INITFAILED = 8, REASON_CLOSE = 9;
// Runtime errors the simulated terminal sets.
const int ERR_NO_ERROR = 0, ERR_UNKNOWN_SYMBOL = 4106, ERR_NO_ORDER_SELECTED = 4105, ERR_GLOBAL_VARIABLE_NOT_FOUND = 4501,
          ERR_CANNOT_OPEN_FILE = 5004, ERR_FILE_WRITE_ERROR = 5007, ERR_INVALID_FUNCTION_PARAMVALUE = 4051;

class Mql4Program : public mt4sim::Expert {
public:
    void bind(mt4sim::Terminal& terminal, int chartId) override;
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
    // --- account ---
    // int AccountNumber();
    int AccountNumber();
    // bool IsDemo();
    bool IsDemo();

    // --- orders ---
    // int OrdersTotal();
    int OrdersTotal();
    // int OrdersHistoryTotal();
    int OrdersHistoryTotal();
    // bool OrderSelect(int index, int select, int pool=MODE_TRADES);
    bool OrderSelect(int index, int select, int pool = MODE_TRADES);
    // int OrderTicket();
    int OrderTicket();
    // int OrderType();
    int OrderType();
    // string OrderSymbol();
    string OrderSymbol();
    // double OrderLots();
    double OrderLots();
    // double OrderOpenPrice();
    double OrderOpenPrice();
    // double OrderStopLoss();
    double OrderStopLoss();
    // double OrderTakeProfit();
    double OrderTakeProfit();
    // double OrderClosePrice();
    double OrderClosePrice();
    // double OrderProfit();
    double OrderProfit();
    // double OrderSwap();
    double OrderSwap();
    // double OrderCommission();
    double OrderCommission();
    // datetime OrderOpenTime();
    datetime OrderOpenTime();
    // datetime OrderCloseTime();
    datetime OrderCloseTime();
    // datetime OrderExpiration();
    datetime OrderExpiration();
    // int OrderMagicNumber();
    int OrderMagicNumber();

    // --- market ---
    // double MarketInfo(string symbol, int type);
    double MarketInfo(string symbol, int type);

    // --- time ---
    // datetime TimeCurrent();
    datetime TimeCurrent();
    // datetime TimeLocal();
    datetime TimeLocal();
    // uint GetTickCount();
    uint GetTickCount();
    // int TimeYear(datetime time);
    int TimeYear(datetime time);
    // int TimeMonth(datetime time);
    int TimeMonth(datetime time);
    // int TimeDay(datetime time);
    int TimeDay(datetime time);
    // string TimeToString(datetime value, int mode=TIME_DATE|TIME_MINUTES);
    string TimeToString(datetime value, int mode = TIME_DATE | TIME_MINUTES);

    // --- events ---
    // bool EventSetMillisecondTimer(int milliseconds);
    bool EventSetMillisecondTimer(int milliseconds);
    // void EventKillTimer();
    void EventKillTimer();

    // --- terminal global variables ---
    // bool GlobalVariableCheck(string name);
    bool GlobalVariableCheck(string name);
    // bool GlobalVariableTemp(string name);
    bool GlobalVariableTemp(string name);
    // double GlobalVariableGet(string name);
    double GlobalVariableGet(string name);
    // datetime GlobalVariableSet(string name, double value);
    datetime GlobalVariableSet(string name, double value);
    // bool GlobalVariableSetOnCondition(string name, double value, double check_value);
    bool GlobalVariableSetOnCondition(string name, double value, double check_value);
    // bool GlobalVariableDel(string name);
    bool GlobalVariableDel(string name);

    // --- files ---
    // int FileOpen(string file_name, int open_flags, short delimiter=';', uint codepage=CP_ACP);
    int FileOpen(string file_name, int open_flags, short delimiter = ';', uint codepage = 0);
    // uint FileWriteString(int file_handle, const string text_string, int length=0);
    uint FileWriteString(int file_handle, const string text_string, int length = 0);
    // void FileClose(int file_handle);
    void FileClose(int file_handle);
    // bool FileMove(const string src_file_name, int common_flag, const string dst_file_name, int mode_flags);
    bool FileMove(const string src_file_name, int common_flag, const string dst_file_name, int mode_flags);

    // bool FileIsExist(const string file_name, int common_flag=0);
    bool FileIsExist(const string file_name, int common_flag = 0);

    // --- text and numbers ---
    // string DoubleToString(double value, int digits=8);
    string DoubleToString(double value, int digits = 8);
    // string IntegerToString(long number, int str_len=0, ushort fill_symbol=' ');
    string IntegerToString(long long number, int str_len = 0, ushort fill_symbol = ' ');
    // int StringLen(string string_value);
    int StringLen(string string_value);
    // ushort StringGetCharacter(string string_value, int pos);
    ushort StringGetCharacter(string string_value, int pos);
    // double MathAbs(double value);
    double MathAbs(double value);
    // double MathRound(double value);
    double MathRound(double value);

    // --- output and errors ---
    // void Print(argument, ...);  (one text argument here)
    void Print(string text);
    // void Comment(argument, ...);  (one text argument here)
    void Comment(string text);
    // int GetLastError();
    int GetLastError();
    // void ResetLastError();
    void ResetLastError();

private:
    mt4sim::Terminal* terminal_ = nullptr;
    int chartId_ = 0;
    int lastError_ = 0;
    bool selected_ = false;
    mt4sim::Order order_;  // OrderSelect() copies the order, as MT4 does
    bool needOrder();
};

#ifndef KV_MQL4_RUNTIME_IMPLEMENTATION
// MQL4's input variables are plain members here.
#define input
#endif
