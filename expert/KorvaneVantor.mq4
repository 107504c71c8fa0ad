//+------------------------------------------------------------------+
//| KorvaneVantor.mq4                                                |
//| Writes the account's orders into systemorder.log, the file the   |
//| Korvane - Vantor relay reads. It never trades.                   |
//+------------------------------------------------------------------+
#property copyright   "Korvane - Vantor"
#property version     "1.00"
#property description "Writes this account's orders into systemorder.log in the terminal's Files folder for the Korvane - Vantor relay. It never trades."
#property strict

#define KV_LOG_FILE     "systemorder.log"
#define KV_TEMP_FILE    "systemorder.tmp"
#define KV_WRITER_VAR   "KorvaneVantor.writer"
#define KV_TOKENS_VAR   "KorvaneVantor.tokens"
#define KV_BEAT_VAR     "KorvaneVantor.beat"
#define KV_SILENT_MS    5000
#define KV_CLOSED_LIMIT 5000

input int TimerPeriodMs  = 50;   // Look at the orders every ... ms
input int RetentionHours = 96;   // Keep closed and deleted orders in the log for ... hours
input int MaxClosedLines = 500;  // At most this many closed and deleted orders in the log

int      periodMs;          // the timer period in use
bool     timerSet;          // the timer runs
double   ownerToken;        // this copy's token in KV_WRITER_VAR; 0 when it has none
bool     ownsWriter;        // this copy writes the log
bool     toldStandBy;       // the stand-by has been printed
bool     hasWritten;        // at least one write succeeded since OnInit
bool     hasTried;          // at least one write was tried since OnInit
string   lastWritten;       // the text of the last successful write
uint     lastTryTick;       // GetTickCount() of the last write tried
datetime lastWriteTime;     // TimeLocal() of the last successful write
string   lastError;         // the last write error, "" when the last write succeeded
string   shownComment;      // what the chart comment says now
int      lineCount;         // lines in the text last built
bool     buildComplete;     // every order of the last build could be read
datetime closedTimes[KV_CLOSED_LIMIT];  // close times of the X lines, newest first
int      closedIndex[KV_CLOSED_LIMIT];  // their positions in the history

//+------------------------------------------------------------------+
int OnInit()
  {
   // MT4 keeps an expert's globals over a timeframe or account change, so
   // every one is set here.
   periodMs = TimerPeriodMs < 10 ? 10 : TimerPeriodMs;
   ownsWriter = false;
   toldStandBy = false;
   hasWritten = false;
   hasTried = false;
   lastWritten = "";
   lastTryTick = 0;
   lastWriteTime = 0;
   lastError = "";
   shownComment = "";
   lineCount = 0;
   buildComplete = true;
   ownerToken = NewOwnerToken();
   timerSet = EventSetMillisecondTimer(periodMs);
   if(!timerSet)
     {
      Print("Korvane - Vantor: the timer could not be set, error " + IntegerToString(GetLastError()));
      return INIT_FAILED;
     }
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
//| Rebuilds the log's text and writes it when it changed, at most   |
//| once a period (four fifths of it, as GetTickCount() moves in     |
//| steps of about 16 ms).                                           |
//+------------------------------------------------------------------+
void Refresh(bool onTimer)
  {
   if(!ClaimWriter())
     {
      ShowStatus();
      return;
     }
   if(AccountNumber() == 0)
      return;                               // not logged in to an account yet
   string text = BuildLog();
   // Written again when unchanged only if someone removed the log.
   if(!buildComplete || (hasWritten && text == lastWritten && FileIsExist(KV_LOG_FILE)))
     {
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
      lastWriteTime = TimeLocal();
      lastError = "";
     }
   if(!onTimer)
      RestartTimer();
   ShowStatus();
  }

// After a write on a tick the period starts again, so a change held back
// by it is written one period later, not up to two.
void RestartTimer()
  {
   EventKillTimer();
   timerSet = EventSetMillisecondTimer(periodMs);
   if(!timerSet)
      Print("Korvane - Vantor: the timer could not be set again, error " + IntegerToString(GetLastError())
            + "; writing on ticks only until it can.");
  }

//+------------------------------------------------------------------+
//| One writer per terminal: a temporary terminal variable holds the  |
//| token of the copy that writes, 0 when none does. Temporary, so a  |
//| terminal restart frees it. The writer beats every period; a copy  |
//| that stopped without OnDeinit (a critical error) falls silent and |
//| a standing-by copy takes over.                                    |
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
   ownsWriter = GlobalVariableSetOnCondition(KV_WRITER_VAR, ownerToken, 0);
   double owner = GlobalVariableGet(KV_WRITER_VAR);
   if(!ownsWriter && owner != 0 && GetTickCount() - (uint)GlobalVariableGet(KV_BEAT_VAR) > (uint)KV_SILENT_MS)
      ownsWriter = GlobalVariableSetOnCondition(KV_WRITER_VAR, ownerToken, owner);
   if(ownsWriter)
      Beat();
   if(ownsWriter && toldStandBy)
      Print("Korvane - Vantor: the other copy has gone; this copy now writes systemorder.log.");
   if(!ownsWriter && !toldStandBy)
      Print("Korvane - Vantor: another chart already writes systemorder.log; this copy stands by.");
   toldStandBy = !ownsWriter;
   return ownsWriter;
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
//| The whole log: open and pending orders, then the orders closed or |
//| deleted within the retention window, newest first.               |
//+------------------------------------------------------------------+
string BuildLog()
  {
   string text = "";
   int account = AccountNumber();
   string demo = IsDemo() ? "1" : "0";
   int count = 0;
   buildComplete = true;
   int total = OrdersTotal();
   for(int i = 0; i < total; i++)
     {
      if(!OrderSelect(i, SELECT_BY_POS, MODE_TRADES))
        {
         buildComplete = false;            // the pool changed under us; the next period reads it again
         continue;
        }
      text += OrderLine("O", account, demo);
      count++;
     }
   int closed = CollectClosed();
   for(int k = 0; k < closed; k++)
     {
      if(!OrderSelect(closedIndex[k], SELECT_BY_POS, MODE_HISTORY))
        {
         buildComplete = false;
         continue;
        }
      text += OrderLine("X", account, demo);
      count++;
     }
   lineCount = count;
   return text;
  }

// Fills closedIndex with the history positions of the newest closed or
// deleted orders within the window, newest first; gives their number.
int CollectClosed()
  {
   int limit = MaxClosedLines;
   if(limit > KV_CLOSED_LIMIT)
      limit = KV_CLOSED_LIMIT;
   if(limit <= 0)
      return 0;
   datetime since = TimeCurrent() - (datetime)RetentionHours * 3600;
   int count = 0;
   // The history is mostly in close-time order, so walking it backwards
   // keeps the insertion below short.
   for(int i = OrdersHistoryTotal() - 1; i >= 0; i--)
     {
      if(!OrderSelect(i, SELECT_BY_POS, MODE_HISTORY))
        {
         buildComplete = false;
         continue;
        }
      if(OrderType() > OP_SELLSTOP)
         continue;                          // balance and credit entries
      datetime closedAt = OrderCloseTime();
      if(closedAt < since)
         continue;
      if(count == limit && closedAt <= closedTimes[count - 1])
         continue;
      int pos = count;
      if(count < limit)
         count++;
      else
         pos = limit - 1;
      while(pos > 0 && closedTimes[pos - 1] < closedAt)
        {
         closedTimes[pos] = closedTimes[pos - 1];
         closedIndex[pos] = closedIndex[pos - 1];
         pos--;
        }
      closedTimes[pos] = closedAt;
      closedIndex[pos] = i;
     }
   return count;
  }

//+------------------------------------------------------------------+
//| One line of the selected order, CR LF ended:                      |
//| date;magic;account;ticket;mark+stamp;type;symbol;lots;open;sl;tp; |
//| close;profit;demo                                                 |
//+------------------------------------------------------------------+
string OrderLine(string mark, int account, string demo)
  {
   string symbol = OrderSymbol();
   int digits = PriceDigits(symbol);
   string state = TypeText(OrderType()) + ";" + symbol + ";" + DoubleToString(OrderLots(), LotDigits(symbol)) + ";"
                  + Price(OrderOpenPrice(), digits) + ";" + Price(OrderStopLoss(), digits) + ";"
                  + Price(OrderTakeProfit(), digits);
   string closePrice = "0";
   string profit = "0";
   if(mark == "X")
     {
      closePrice = Price(OrderClosePrice(), digits);
      profit = DoubleToString(OrderProfit() + OrderSwap() + OrderCommission(), 2);
     }
   string stamp = Stamp(state + ";" + IntegerToString(OrderExpiration()));
   return DateText(OrderOpenTime()) + ";" + IntegerToString(OrderMagicNumber()) + ";" + IntegerToString(account) + ";"
          + IntegerToString(OrderTicket()) + ";" + mark + stamp + ";" + state + ";" + closePrice + ";" + profit + ";"
          + demo + "\r\n";
  }

// The modification stamp: FNV-1a (32 bits) of the order's own state, so
// the same order in the same state has the same stamp in every copy, after
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

string TypeText(int type)
  {
   switch(type)
     {
      case OP_BUY:       return "BUY";
      case OP_SELL:      return "SELL";
      case OP_BUYLIMIT:  return "BUYLIMIT";
      case OP_SELLLIMIT: return "SELLLIMIT";
      case OP_BUYSTOP:   return "BUYSTOP";
      case OP_SELLSTOP:  return "SELLSTOP";
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
   return IntegerToString(TimeYear(time)) + IntegerToString(TimeMonth(time), 2, '0') + IntegerToString(TimeDay(time), 2, '0');
  }

// The symbol's price digits; 5 for a symbol MT4 no longer lists (an old
// closed order's), so its prices are not cut.
int PriceDigits(string symbol)
  {
   ResetLastError();
   double digits = MarketInfo(symbol, MODE_DIGITS);
   if(GetLastError() != 0 || digits < 0)
      return 5;
   return (int)digits;
  }

// The decimals of the symbol's lot step: 0.01 gives 2, 0.1 gives 1, 1 gives 0.
int LotDigits(string symbol)
  {
   ResetLastError();
   double step = MarketInfo(symbol, MODE_LOTSTEP);
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
   if(written != (uint)StringLen(text) || writeError != 0)
      return FailedWith("cannot write systemorder.tmp", writeError);
   ResetLastError();
   if(!FileMove(KV_TEMP_FILE, 0, KV_LOG_FILE, FILE_REWRITE))
      return Failed("cannot replace systemorder.log");
   return true;
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
   else
     {
      status = "Korvane - Vantor: " + IntegerToString(lineCount) + " orders in systemorder.log";
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
