//+------------------------------------------------------------------+
//| KorvaneVantorShared.mqh                                          |
//| What the MT4 and the MT5 expert share: when the log is written,  |
//| by which chart, how (whole, then moved over the old one), how a  |
//| line looks, and what the chart says. The build splices it into   |
//| KorvaneVantor.mq4 and KorvaneVantor.mq5, so each ships as one    |
//| file. Each expert gives ForgetOrders(), ListTotals(),            |
//| OrdersChanged() and BuildLog().                                  |
//+------------------------------------------------------------------+
#define KV_LOG_FILE     "systemorder.log"
#define KV_TEMP_FILE    "systemorder.tmp"
#define KV_WRITER_VAR   "KorvaneVantor.writer"
#define KV_TOKENS_VAR   "KorvaneVantor.tokens"
#define KV_BEAT_VAR     "KorvaneVantor.beat"
#define KV_SILENT_MS    5000
#define KV_SETTLE_MS    2000
#define KV_CLOSED_LIMIT 5000
#define KV_OPEN_LIMIT   5000
#define KV_CHUNK        1000
#define KV_EPSILON      0.000000001

input int TimerPeriodMs  = 50;   // Look at the orders every ... ms
input int RetentionHours = 96;   // Keep closed and deleted orders in the log for ... hours
input int MaxClosedLines = 500;  // At most this many closed and deleted orders in the log

int      periodMs;          // the timer period in use
bool     timerSet;          // the timer runs
double   ownerToken;        // this copy's token in KV_WRITER_VAR; 0 when it has none
bool     ownsWriter;        // this copy writes the log
bool     toldStandBy;       // the stand-by has been printed
bool     dataReady;         // connected, and the lists have stood still since
bool     settling;          // connected, waiting for the lists to stand still
uint     settleSince;       // GetTickCount() when the lists last moved while settling
double   settleTotals;      // their totals then
bool     dirty;             // the log may not show the orders as they are
bool     buildComplete;     // the last build saw one consistent view of the lists
bool     hasWritten;        // at least one write succeeded since OnInit
bool     hasTried;          // at least one write was tried since OnInit
string   lastWritten;       // the text of the last successful write
uint     lastTryTick;       // GetTickCount() of the last write tried
datetime lastWriteTime;     // TimeLocal() of the last successful write
string   lastError;         // the last write error, "" when the last write succeeded
string   shownComment;      // what the chart comment says now
int      lineCount;         // lines in the text last built
// The X lines, newest first: when the line ended, what ended it (a deal,
// kind 1, or an order, kind 0: their tickets are counted apart), its number
// and the line itself, built once.
datetime closedTime[KV_CLOSED_LIMIT];
int      closedKind[KV_CLOSED_LIMIT];
ulong    closedKey[KV_CLOSED_LIMIT];
ulong    closedNumber[KV_CLOSED_LIMIT];
string   closedLine[KV_CLOSED_LIMIT];
int      closedCount;
uchar    ansiChunk[KV_CHUNK * 4 + 1];

//+------------------------------------------------------------------+
int OnInit()
  {
   // The terminal keeps an expert's globals over a timeframe or account
   // change, so every one is set here.
   periodMs = TimerPeriodMs < 10 ? 10 : TimerPeriodMs;
   ownsWriter = false;
   toldStandBy = false;
   dataReady = false;
   settling = false;
   dirty = true;
   buildComplete = false;
   hasWritten = false;
   hasTried = false;
   lastWritten = "";
   lastTryTick = 0;
   lastWriteTime = 0;
   lastError = "";
   shownComment = "";
   lineCount = 0;
   closedCount = 0;
   ForgetOrders();
   ownerToken = NewOwnerToken();
   // A timer that cannot be set does not unload the expert: it writes on
   // ticks meanwhile and tries the timer again on each.
   timerSet = EventSetMillisecondTimer(periodMs);
   if(!timerSet)
      Print("Korvane - Vantor: the timer could not be set, error " + IntegerToString(GetLastError())
            + "; writing on ticks until it can.");
   Refresh(true);
   return INIT_SUCCEEDED;
  }

//+------------------------------------------------------------------+
void OnDeinit(const int reason)
  {
   EventKillTimer();
   ReleaseWriter();
   Comment("");
   if(reason == REASON_REMOVE)
      Print("Korvane - Vantor: removed from the chart; systemorder.log is no longer written by this copy.");
  }

//+------------------------------------------------------------------+
void OnTimer()
  {
   Refresh(true);
  }

//+------------------------------------------------------------------+
void OnTick()
  {
   if(!timerSet)
      timerSet = EventSetMillisecondTimer(periodMs);
   Refresh(false);
  }

//+------------------------------------------------------------------+
//| Writes the log when the orders changed, at most once a period    |
//| (four fifths of it, as GetTickCount() moves in steps of about    |
//| 16 ms). A period in which nothing changed compares numbers only. |
//+------------------------------------------------------------------+
void Refresh(bool onTimer)
  {
   // A copy standing by follows the data too, so it can write at once when it takes over.
   bool ready = AccountInfoInteger(ACCOUNT_LOGIN) != 0 && DataReady();
   if(!ClaimWriter() || !ready)
     {
      ShowStatus();
      return;
     }
   if(OrdersChanged() || PruneClosed())
      dirty = true;
   // Written again when unchanged only if someone removed the log.
   if(!dirty && FileIsExist(KV_LOG_FILE))
      return;
   string text = BuildLog();
   if(!buildComplete)
     {
      ShowStatus();
      return;                               // the lists moved, or an order is executing: the next period builds again
     }
   if(hasWritten && text == lastWritten && FileIsExist(KV_LOG_FILE))
     {
      dirty = false;
      ShowStatus();
      return;
     }
   uint now = GetTickCount();
   if(hasTried && now - lastTryTick < (uint)(periodMs * 4 / 5))
      return;                               // the next timer event writes it
   hasTried = true;
   lastTryTick = now;
   if(WriteLog(text))
     {
      lastWritten = text;
      hasWritten = true;
      dirty = false;
      lastWriteTime = TimeLocal();
      lastError = "";
     }
   if(!onTimer)
      RestartTimer();
   ShowStatus();
  }

// After a write on another event the period starts again, so a change held
// back by it is written one period later, not up to two.
void RestartTimer()
  {
   EventKillTimer();
   timerSet = EventSetMillisecondTimer(periodMs);
   if(!timerSet)
      Print("Korvane - Vantor: the timer could not be set again, error " + IntegerToString(GetLastError())
            + "; writing on ticks until it can.");
  }

//+------------------------------------------------------------------+
//| The terminal starts an expert "with available data" after at most |
//| 5 s, and lists the orders again after a reconnection, so a list   |
//| may lack orders that exist. The log is written only once the      |
//| terminal is connected and the lists' totals have stood still for  |
//| KV_SETTLE_MS; then they are read whole again.                     |
//+------------------------------------------------------------------+
bool DataReady()
  {
   if(TerminalInfoInteger(TERMINAL_CONNECTED) == 0)
     {
      dataReady = false;
      settling = false;
      return false;
     }
   if(dataReady)
      return true;
   double totals = ListTotals();
   uint now = GetTickCount();
   if(!settling || totals != settleTotals)
     {
      settling = true;
      settleSince = now;
      settleTotals = totals;
     }
   if(now - settleSince < (uint)KV_SETTLE_MS)
      return false;
   dataReady = true;
   closedCount = 0;
   ForgetOrders();
   dirty = true;
   return true;
  }

//+------------------------------------------------------------------+
//| One writer per terminal: a temporary terminal variable holds the  |
//| token of the copy that writes, 0 when none does. Temporary, so a  |
//| terminal restart frees it. The writer beats every period; a copy  |
//| that stopped without OnDeinit (a critical error) falls silent and |
//| a standing-by copy takes over. Each expert runs in a thread of    |
//| its own, so every step below may meet another copy's.             |
//+------------------------------------------------------------------+
double NewOwnerToken()
  {
   if(!GlobalVariableCheck(KV_TOKENS_VAR))
      GlobalVariableTemp(KV_TOKENS_VAR);
   for(int attempt = 0; attempt < 100; attempt++)
     {
      double last = GlobalVariableGet(KV_TOKENS_VAR);
      if(GlobalVariableSetOnCondition(KV_TOKENS_VAR, last + 1, last))
         return last + 1;
     }
   Print("Korvane - Vantor: no token for this copy, error " + IntegerToString(GetLastError()));
   return 0;
  }

bool ClaimWriter()
  {
   if(ownsWriter && GlobalVariableGet(KV_WRITER_VAR) != ownerToken)
      ownsWriter = false;                   // taken over while this copy was silent
   if(ownsWriter)
     {
      Beat();
      return true;
     }
   if(ownerToken <= 0)
      return false;
   if(!GlobalVariableCheck(KV_WRITER_VAR))
      GlobalVariableTemp(KV_WRITER_VAR);
   double owner = GlobalVariableGet(KV_WRITER_VAR);
   if(owner == 0 || WriterSilent())
     {
      // The beat comes before the claim, so a copy that sees the claim
      // also sees a fresh beat.
      Beat();
      ownsWriter = GlobalVariableSetOnCondition(KV_WRITER_VAR, ownerToken, owner);
     }
   if(ownsWriter && toldStandBy)
      Print("Korvane - Vantor: the other copy has gone; this copy now writes systemorder.log.");
   if(!ownsWriter && !toldStandBy)
      Print("Korvane - Vantor: another chart already writes systemorder.log; this copy stands by.");
   toldStandBy = !ownsWriter;
   return ownsWriter;
  }

// The writer has not beaten for KV_SILENT_MS. A beat not there yet, or
// still 0, is fresh: its writer is claiming right now.
bool WriterSilent()
  {
   if(!GlobalVariableCheck(KV_BEAT_VAR))
      return false;
   double beat = GlobalVariableGet(KV_BEAT_VAR);
   return beat != 0 && GetTickCount() - (uint)beat > (uint)KV_SILENT_MS;
  }

void Beat()
  {
   if(!GlobalVariableCheck(KV_BEAT_VAR))
      GlobalVariableTemp(KV_BEAT_VAR);
   GlobalVariableSet(KV_BEAT_VAR, GetTickCount());
  }

void ReleaseWriter()
  {
   if(ownsWriter)
      GlobalVariableSetOnCondition(KV_WRITER_VAR, 0, ownerToken);
   ownsWriter = false;
  }

//+------------------------------------------------------------------+
//| The closed and deleted lines, kept once built: newest first, at   |
//| most MaxClosedLines of them, none older than RetentionHours.      |
//+------------------------------------------------------------------+
datetime ClosedSince()
  {
   return TimeCurrent() - (datetime)RetentionHours * 3600;
  }

int ClosedLimit()
  {
   if(MaxClosedLines > KV_CLOSED_LIMIT)
      return KV_CLOSED_LIMIT;
   return MaxClosedLines < 0 ? 0 : MaxClosedLines;
  }

// Whether a line ended at this time would be kept.
bool WouldKeepClosed(datetime at)
  {
   int limit = ClosedLimit();
   return at >= ClosedSince() && limit > 0 && (closedCount < limit || at > closedTime[closedCount - 1]);
  }

void KeepClosed(datetime at, int kind, ulong key, ulong number, string line)
  {
   if(!WouldKeepClosed(at))
      return;
   for(int k = 0; k < closedCount; k++)
      if(closedKey[k] == key && closedKind[k] == kind)
         return;                            // built already
   int pos = closedCount;
   if(closedCount < ClosedLimit())
      closedCount++;
   else
      pos = closedCount - 1;
   while(pos > 0 && closedTime[pos - 1] < at)
     {
      closedTime[pos] = closedTime[pos - 1];
      closedKind[pos] = closedKind[pos - 1];
      closedKey[pos] = closedKey[pos - 1];
      closedNumber[pos] = closedNumber[pos - 1];
      closedLine[pos] = closedLine[pos - 1];
      pos--;
     }
   closedTime[pos] = at;
   closedKind[pos] = kind;
   closedKey[pos] = key;
   closedNumber[pos] = number;
   closedLine[pos] = line;
  }

// Drops the lines that have left the retention window; true when any did.
bool PruneClosed()
  {
   datetime since = ClosedSince();
   int before = closedCount;
   while(closedCount > 0 && closedTime[closedCount - 1] < since)
      closedCount--;
   return closedCount != before;
  }

string ClosedText()
  {
   string text = "";
   for(int k = 0; k < closedCount; k++)
      text += closedLine[k];
   return text;
  }

//+------------------------------------------------------------------+
//| One line, CR LF ended:                                            |
//| date;magic;account;number;mark+stamp;type;symbol;lots;open;sl;tp; |
//| close;profit;demo                                                 |
//+------------------------------------------------------------------+
string Line(datetime opened, string magic, string account, ulong number, string mark, string state, datetime expiration,
            string closePrice, string profit, string demo)
  {
   string stamp = Stamp(state + ";" + IntegerToString(expiration));
   return DateText(opened) + ";" + magic + ";" + account + ";" + IntegerToString(number) + ";" + mark + stamp + ";" + state + ";"
          + closePrice + ";" + profit + ";" + demo + "\r\n";
  }

// The line's own state: type, symbol, lots, open price, stop loss, take profit.
string LineState(int type, string symbol, double lots, double openPrice, double stopLoss, double takeProfit)
  {
   int digits = PriceDigits(symbol);
   return TypeText(type) + ";" + symbol + ";" + DoubleToString(lots, LotDigits(symbol)) + ";" + Price(openPrice, digits) + ";"
          + Price(stopLoss, digits) + ";" + Price(takeProfit, digits);
  }

string AccountText()
  {
   return IntegerToString(AccountInfoInteger(ACCOUNT_LOGIN));
  }

// A contest account holds no real money either.
string DemoText()
  {
   return AccountInfoInteger(ACCOUNT_TRADE_MODE) == ACCOUNT_TRADE_MODE_REAL ? "0" : "1";
  }

// The modification stamp: FNV-1a (32 bits) of the line's own state, so
// the same line in the same state has the same stamp in every copy, after
// every restart, and nothing needs to be kept on disk for it.
string Stamp(string state)
  {
   uint hash = (uint)2166136261;
   int length = StringLen(state);
   for(int i = 0; i < length; i++)
     {
      hash ^= (uint)StringGetCharacter(state, i);
      hash *= 16777619;
     }
   return IntegerToString(hash);
  }

// The order types as the log names them; MT5's stop limit order is
// written as the stop order it is until its stop price is reached.
string TypeText(int type)
  {
   switch(type)
     {
      case 0: return "BUY";
      case 1: return "SELL";
      case 2: return "BUYLIMIT";
      case 3: return "SELLLIMIT";
      case 4: return "BUYSTOP";
      case 5: return "SELLSTOP";
      case 6: return "BUYSTOP";
      case 7: return "SELLSTOP";
     }
   return "TYPE" + IntegerToString(type);
  }

string Price(double value, int digits)
  {
   if(value == 0)
      return "0";
   return DoubleToString(value, digits);
  }

string DateText(datetime time)
  {
   MqlDateTime t;
   TimeToStruct(time, t);
   return IntegerToString(t.year) + IntegerToString(t.mon, 2, '0') + IntegerToString(t.day, 2, '0');
  }

// The symbol's price digits; 5 for a symbol the terminal no longer lists
// (an old closed line's), so its prices are not cut.
int PriceDigits(string symbol)
  {
   ResetLastError();
   int digits = (int)SymbolInfoInteger(symbol, SYMBOL_DIGITS);
   if(GetLastError() != 0 || digits < 0)
      return 5;
   return digits;
  }

// The decimals of the symbol's volume step: 0.01 gives 2, 0.1 gives 1, 1 gives 0.
int LotDigits(string symbol)
  {
   ResetLastError();
   double step = SymbolInfoDouble(symbol, SYMBOL_VOLUME_STEP);
   if(GetLastError() != 0 || step <= 0)
      return 2;
   int digits = 0;
   while(digits < 8 && MathAbs(step - MathRound(step)) > 0.0000001)
     {
      step *= 10;
      digits++;
     }
   return digits;
  }

//+------------------------------------------------------------------+
//| Writes the text whole into the temporary file, then moves it over |
//| the log, so a reader never sees half of it.                      |
//+------------------------------------------------------------------+
bool WriteLog(string text)
  {
   ResetLastError();
   int handle = FileOpen(KV_TEMP_FILE, FILE_WRITE | FILE_TXT | FILE_ANSI | FILE_SHARE_READ);
   if(handle == INVALID_HANDLE)
      return Failed("cannot open systemorder.tmp");
   uint written = FileWriteString(handle, text);
   int writeError = GetLastError();
   FileClose(handle);
   if(written != (uint)AnsiLength(text) || writeError != 0)
      return FailedWith("cannot write systemorder.tmp", writeError);
   ResetLastError();
   if(!FileMove(KV_TEMP_FILE, 0, KV_LOG_FILE, FILE_REWRITE))
      return Failed("cannot replace systemorder.log");
   return true;
  }

// FileWriteString() counts bytes: as many as the code page makes of the
// text, two for a character outside ASCII on a double-byte code page.
int AnsiLength(string text)
  {
   int total = 0;
   int length = StringLen(text);
   int start = 0;
   while(start < length)
     {
      int count = KV_CHUNK;
      if(start + count < length)
        {
         ushort last = StringGetCharacter(text, start + count - 1);
         if(last >= 0xD800 && last <= 0xDBFF)
            count--;                        // a surrogate pair stays whole
        }
      total += StringToCharArray(StringSubstr(text, start, count), ansiChunk, 0, WHOLE_ARRAY, CP_ACP) - 1;
      start += count;
     }
   return total;
  }

bool Failed(string what)
  {
   return FailedWith(what, GetLastError());
  }

// Keeps the error for the chart comment and prints it when it is new; the
// next period tries again.
bool FailedWith(string what, int error)
  {
   string message = what + ", error " + IntegerToString(error);
   if(message != lastError)
      Print("Korvane - Vantor: " + message + "; trying again.");
   lastError = message;
   return false;
  }

//+------------------------------------------------------------------+
void ShowStatus()
  {
   string status;
   if(!ownsWriter)
      status = "Korvane - Vantor: another chart already writes systemorder.log; this copy stands by.";
   else if(!dataReady)
      status = "Korvane - Vantor: waiting for the terminal to connect and list its orders.";
   else
     {
      status = "Korvane - Vantor: " + IntegerToString(lineCount) + " lines in systemorder.log";
      status += "\nlast written: " + (hasWritten ? TimeToString(lastWriteTime, TIME_DATE | TIME_SECONDS) : "not yet");
      status += "\nlast write error: " + (lastError == "" ? "none" : lastError);
     }
   if(status != shownComment)
     {
      Comment(status);
      shownComment = status;
     }
  }
//+------------------------------------------------------------------+
