//+------------------------------------------------------------------+
//| KorvaneVantor.mq5                                                |
//| Writes the account's positions and orders into systemorder.log,  |
//| the file the Korvane - Vantor relay reads. It never trades.      |
//+------------------------------------------------------------------+
#property copyright   "Korvane - Vantor"
#property version     "1.00"
#property description "Writes this account's positions and orders into systemorder.log in the terminal's Files folder for the Korvane - Vantor relay. It never trades."

#define KV_LOG_FILE     "systemorder.log"
#define KV_TEMP_FILE    "systemorder.tmp"
#define KV_WRITER_VAR   "KorvaneVantor.writer"
#define KV_TOKENS_VAR   "KorvaneVantor.tokens"
#define KV_BEAT_VAR     "KorvaneVantor.beat"
#define KV_SILENT_MS    5000
#define KV_CLOSED_LIMIT 5000
#define KV_OPEN_LIMIT   10000
#define KV_NETTING_KEPT 1000

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
bool     hedging;           // the account keeps any number of positions per symbol
ulong    openIds[KV_OPEN_LIMIT];  // the identifiers of the open positions of the last build
int      openCount;               // how many of them (all, up to KV_OPEN_LIMIT)
// The X lines of the last build, newest first: the deal that closed the
// line (a position's) or the history order that ended it (a pending one's).
datetime closedTimes[KV_CLOSED_LIMIT];
ulong    closedTicket[KV_CLOSED_LIMIT];
int      closedDealIndex[KV_CLOSED_LIMIT];  // the closing deal's place in the history; -1 for an order
ulong    closedPosition[KV_CLOSED_LIMIT];   // the position a closing deal belongs to
// A closed position's line, once built, by its closing deal: the history
// does not change, and building the line walks the position's deals.
ulong    cachedDeal[KV_CLOSED_LIMIT];
string   cachedLine[KV_CLOSED_LIMIT];
int      cachedCount;
int      cacheNext;
// A netting position's line, once found in the history, by identifier; the
// deals read since are only the new ones, as only a new reversal changes it.
ulong    nettingId[KV_NETTING_KEPT];
ulong    nettingNumber[KV_NETTING_KEPT];
datetime nettingOpened[KV_NETTING_KEPT];
int      nettingCount;
int      nettingNext;
int      dealsRead;         // the deals the kept netting lines account for
ulong    lastDealRead;      // the ticket of the last of them, to see the history replaced

//+------------------------------------------------------------------+
int OnInit()
  {
   // The terminal keeps an expert's globals over a timeframe or account
   // change, so every one is set here; the kept closed lines too, as deal
   // tickets belong to one account.
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
   cachedCount = 0;
   cacheNext = 0;
   nettingCount = 0;
   nettingNext = 0;
   dealsRead = 0;
   lastDealRead = 0;
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
   if(AccountInfoInteger(ACCOUNT_LOGIN) == 0)
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
//| The whole log: positions, pending orders, then the lines closed  |
//| or deleted within the retention window, newest first.            |
//+------------------------------------------------------------------+
string BuildLog()
  {
   string text = "";
   string account = IntegerToString(AccountInfoInteger(ACCOUNT_LOGIN));
   // A contest account holds no real money either.
   string demo = AccountInfoInteger(ACCOUNT_TRADE_MODE) == ACCOUNT_TRADE_MODE_REAL ? "0" : "1";
   hedging = AccountInfoInteger(ACCOUNT_MARGIN_MODE) == ACCOUNT_MARGIN_MODE_RETAIL_HEDGING;
   int count = 0;
   // All of it: a netting line's number may come from an old deal. The end
   // lies a day ahead, as a deal may be later than the last quote's time.
   buildComplete = HistorySelect(0, TimeCurrent() + 86400);
   if(!buildComplete)
      return "";
   if(!hedging)
      ReadNewReversals();
   int total = PositionsTotal();
   openCount = 0;
   for(int i = 0; i < total; i++)
     {
      if(PositionGetTicket(i) == 0)
        {
         buildComplete = false;            // the list changed under us; the next period reads it again
         continue;
        }
      if(openCount < KV_OPEN_LIMIT)
         openIds[openCount++] = (ulong)PositionGetInteger(POSITION_IDENTIFIER);
      text += PositionLine(account, demo);
      count++;
     }
   total = OrdersTotal();
   for(int i = 0; i < total; i++)
     {
      if(OrderGetTicket(i) == 0)
        {
         buildComplete = false;
         continue;
        }
      text += PendingLine(account, demo);
      count++;
     }
   int closed = CollectClosed();
   for(int k = 0; k < closed; k++)
     {
      if(closedDealIndex[k] >= 0)
         text += ClosedPositionLine(k, account, demo);
      else
         text += EndedOrderLine(closedTicket[k], account, demo);
      count++;
     }
   lineCount = count;
   return text;
  }

//+------------------------------------------------------------------+
//| Open lines                                                        |
//+------------------------------------------------------------------+
// The selected position. Its line's number is the position's identifier
// (the ticket of the order that opened it); on a netting account a reversal
// starts a new line, numbered with the ticket of the order that reversed it.
string PositionLine(string account, string demo)
  {
   ulong id = (ulong)PositionGetInteger(POSITION_IDENTIFIER);
   datetime opened = (datetime)PositionGetInteger(POSITION_TIME);
   ulong number = id;
   if(!hedging)
      number = NettingLine(id, opened);
   string symbol = PositionGetString(POSITION_SYMBOL);
   int digits = PriceDigits(symbol);
   string type = PositionGetInteger(POSITION_TYPE) == POSITION_TYPE_BUY ? "BUY" : "SELL";
   string state = type + ";" + symbol + ";" + DoubleToString(PositionGetDouble(POSITION_VOLUME), LotDigits(symbol)) + ";"
                  + Price(PositionGetDouble(POSITION_PRICE_OPEN), digits) + ";" + Price(PositionGetDouble(POSITION_SL), digits)
                  + ";" + Price(PositionGetDouble(POSITION_TP), digits);
   return Line(opened, IntegerToString(PositionGetInteger(POSITION_MAGIC)), account, number, "O", state, 0, "0", "0", demo);
  }

// The number of a netting position's current line: that of the order whose
// deal reversed it last, or its identifier; `opened` becomes that deal's time.
ulong NettingLine(ulong id, datetime &opened)
  {
   for(int k = 0; k < nettingCount; k++)
      if(nettingId[k] == id)
        {
         opened = nettingOpened[k];
         return nettingNumber[k];
        }
   ulong number = id;
   for(int i = HistoryDealsTotal() - 1; i >= 0; i--)
     {
      ulong deal = HistoryDealGetTicket(i);
      if((ulong)HistoryDealGetInteger(deal, DEAL_POSITION_ID) != id)
         continue;
      ulong order = (ulong)HistoryDealGetInteger(deal, DEAL_ORDER);
      if(HistoryDealGetInteger(deal, DEAL_ENTRY) == DEAL_ENTRY_INOUT || order == id)
        {
         opened = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
         number = order;
         break;
        }
     }
   nettingId[nettingNext] = id;
   nettingNumber[nettingNext] = number;
   nettingOpened[nettingNext] = opened;
   nettingNext = (nettingNext + 1) % KV_NETTING_KEPT;
   if(nettingCount < KV_NETTING_KEPT)
      nettingCount++;
   return number;
  }

// Brings the kept netting lines up to date with the deals added since the
// last build; forgets them all when the history is not the one they came from.
void ReadNewReversals()
  {
   int total = HistoryDealsTotal();
   if(dealsRead > total || (dealsRead > 0 && HistoryDealGetTicket(dealsRead - 1) != lastDealRead))
     {
      nettingCount = 0;
      nettingNext = 0;
      dealsRead = 0;
     }
   for(int i = dealsRead; i < total; i++)
     {
      ulong deal = HistoryDealGetTicket(i);
      if(HistoryDealGetInteger(deal, DEAL_ENTRY) != DEAL_ENTRY_INOUT)
         continue;
      ulong id = (ulong)HistoryDealGetInteger(deal, DEAL_POSITION_ID);
      for(int k = 0; k < nettingCount; k++)
         if(nettingId[k] == id)
           {
            nettingNumber[k] = (ulong)HistoryDealGetInteger(deal, DEAL_ORDER);
            nettingOpened[k] = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
           }
     }
   dealsRead = total;
   lastDealRead = total > 0 ? HistoryDealGetTicket(total - 1) : 0;
  }

// The selected pending order.
string PendingLine(string account, string demo)
  {
   string symbol = OrderGetString(ORDER_SYMBOL);
   int digits = PriceDigits(symbol);
   string state = TypeText((int)OrderGetInteger(ORDER_TYPE)) + ";" + symbol + ";"
                  + DoubleToString(OrderGetDouble(ORDER_VOLUME_CURRENT), LotDigits(symbol)) + ";"
                  + Price(OrderGetDouble(ORDER_PRICE_OPEN), digits) + ";" + Price(OrderGetDouble(ORDER_SL), digits) + ";"
                  + Price(OrderGetDouble(ORDER_TP), digits);
   return Line((datetime)OrderGetInteger(ORDER_TIME_SETUP), IntegerToString(OrderGetInteger(ORDER_MAGIC)), account,
               (ulong)OrderGetInteger(ORDER_TICKET), "O", state, (datetime)OrderGetInteger(ORDER_TIME_EXPIRATION), "0", "0", demo);
  }

//+------------------------------------------------------------------+
//| Closed and deleted lines                                          |
//+------------------------------------------------------------------+
// Fills the closed arrays, newest first and at most MaxClosedLines: the
// deals that closed a line, and the pending orders that ended without a
// line to carry on. Gives their number.
int CollectClosed()
  {
   int limit = MaxClosedLines;
   if(limit > KV_CLOSED_LIMIT)
      limit = KV_CLOSED_LIMIT;
   if(limit <= 0)
      return 0;
   datetime since = TimeCurrent() - (datetime)RetentionHours * 3600;
   int count = 0;
   // The deals are in time order: walking them backwards, the first
   // closing deal seen of a line is the one that closed it, and the walk
   // ends at the window's start.
   for(int i = HistoryDealsTotal() - 1; i >= 0 && count < limit; i--)
     {
      ulong deal = HistoryDealGetTicket(i);
      datetime at = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
      if(at < since)
         break;
      if(HistoryDealGetInteger(deal, DEAL_TYPE) != DEAL_TYPE_BUY && HistoryDealGetInteger(deal, DEAL_TYPE) != DEAL_TYPE_SELL)
         continue;                          // balance, credit, charges
      if(HistoryDealGetInteger(deal, DEAL_ENTRY) == DEAL_ENTRY_IN)
         continue;
      ulong position = (ulong)HistoryDealGetInteger(deal, DEAL_POSITION_ID);
      // A reversal always ends a line. Any other closing deal ends one only
      // when it is the position's newest and the position is gone;
      // otherwise it made a line smaller.
      if(HistoryDealGetInteger(deal, DEAL_ENTRY) != DEAL_ENTRY_INOUT && (Collected(position, count) || PositionOpen(position)))
         continue;
      closedTimes[count] = at;
      closedTicket[count] = deal;
      closedDealIndex[count] = i;
      closedPosition[count] = position;
      count++;
     }
   for(int i = HistoryOrdersTotal() - 1; i >= 0; i--)
     {
      ulong ticket = HistoryOrderGetTicket(i);
      int type = (int)HistoryOrderGetInteger(ticket, ORDER_TYPE);
      if(type < ORDER_TYPE_BUY_LIMIT || type > ORDER_TYPE_SELL_STOP_LIMIT)
         continue;                          // market and close-by orders are no lines of their own
      datetime at = (datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_DONE);
      if(at < since || (count == limit && at <= closedTimes[count - 1]) || !EndedAlone(ticket))
         continue;
      int pos = count;
      if(count < limit)
         count++;
      else
         pos = limit - 1;
      while(pos > 0 && closedTimes[pos - 1] < at)
        {
         closedTimes[pos] = closedTimes[pos - 1];
         closedTicket[pos] = closedTicket[pos - 1];
         closedDealIndex[pos] = closedDealIndex[pos - 1];
         closedPosition[pos] = closedPosition[pos - 1];
         pos--;
        }
      closedTimes[pos] = at;
      closedTicket[pos] = ticket;
      closedDealIndex[pos] = -1;
      closedPosition[pos] = 0;
     }
   return count;
  }

// By identifier: a position's ticket changes on a netting reversal, and
// may change when the server reopens it to charge swaps.
bool PositionOpen(ulong id)
  {
   for(int k = 0; k < openCount; k++)
      if(openIds[k] == id)
         return true;
   if(openCount < KV_OPEN_LIMIT)
      return false;
   int total = PositionsTotal();
   for(int i = KV_OPEN_LIMIT; i < total; i++)
      if(PositionGetTicket(i) != 0 && (ulong)PositionGetInteger(POSITION_IDENTIFIER) == id)
         return true;
   return false;
  }

bool Collected(ulong position, int count)
  {
   for(int k = 0; k < count; k++)
      if(closedPosition[k] == position)
         return true;
   return false;
  }

// Whether a history pending order ends a line of its own: deleted, expired
// or rejected; or filled without opening a position or, by a reversal, a
// new line (it joined, reduced or closed a netting position, whose own line
// shows that).
bool EndedAlone(ulong ticket)
  {
   int state = (int)HistoryOrderGetInteger(ticket, ORDER_STATE);
   if(state == ORDER_STATE_CANCELED || state == ORDER_STATE_EXPIRED || state == ORDER_STATE_REJECTED)
      return true;
   if(state != ORDER_STATE_FILLED || (ulong)HistoryOrderGetInteger(ticket, ORDER_POSITION_ID) == ticket)
      return false;
   datetime done = (datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_DONE);
   for(int i = HistoryDealsTotal() - 1; i >= 0; i--)
     {
      ulong deal = HistoryDealGetTicket(i);
      if((datetime)HistoryDealGetInteger(deal, DEAL_TIME) < done)
         break;
      if((ulong)HistoryDealGetInteger(deal, DEAL_ORDER) == ticket && HistoryDealGetInteger(deal, DEAL_ENTRY) == DEAL_ENTRY_INOUT)
         return false;
     }
   return true;
  }

// The line of a pending order that ended alone, with the market price
// when it ended.
string EndedOrderLine(ulong ticket, string account, string demo)
  {
   string symbol = HistoryOrderGetString(ticket, ORDER_SYMBOL);
   int digits = PriceDigits(symbol);
   string state = TypeText((int)HistoryOrderGetInteger(ticket, ORDER_TYPE)) + ";" + symbol + ";"
                  + DoubleToString(HistoryOrderGetDouble(ticket, ORDER_VOLUME_INITIAL), LotDigits(symbol)) + ";"
                  + Price(HistoryOrderGetDouble(ticket, ORDER_PRICE_OPEN), digits) + ";"
                  + Price(HistoryOrderGetDouble(ticket, ORDER_SL), digits) + ";" + Price(HistoryOrderGetDouble(ticket, ORDER_TP), digits);
   return Line((datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_SETUP), IntegerToString(HistoryOrderGetInteger(ticket, ORDER_MAGIC)),
               account, ticket, "X", state, (datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_EXPIRATION),
               Price(HistoryOrderGetDouble(ticket, ORDER_PRICE_CURRENT), digits), "0.00", demo);
  }

// The line that closing deal k ended: built once, then kept.
string ClosedPositionLine(int k, string account, string demo)
  {
   for(int c = 0; c < cachedCount; c++)
      if(cachedDeal[c] == closedTicket[k])
         return cachedLine[c];
   string line = ReplayLine(closedDealIndex[k], closedPosition[k], account, demo);
   cachedDeal[cacheNext] = closedTicket[k];
   cachedLine[cacheNext] = line;
   cacheNext = (cacheNext + 1) % KV_CLOSED_LIMIT;
   if(cachedCount < KV_CLOSED_LIMIT)
      cachedCount++;
   return line;
  }

// Replays the position's deals up to the closing deal at index last; the
// line it closed began at the position's first deal or at its last
// reversal. Lots: what the line held when it closed; open price: the
// average of its entries; result: the net of all its deals (profit, swap,
// commission and fee), a reversal deal counted with the line it closed.
string ReplayLine(int last, ulong position, string account, string demo)
  {
   int first = last;
   while(first > 0)
     {
      ulong deal = HistoryDealGetTicket(first);
      if((ulong)HistoryDealGetInteger(deal, DEAL_POSITION_ID) == position && HistoryDealGetInteger(deal, DEAL_ENTRY) == DEAL_ENTRY_IN
         && (ulong)HistoryDealGetInteger(deal, DEAL_ORDER) == position)
         break;
      first--;
     }
   double volume = 0, average = 0, net = 0, closedVolume = 0;
   ulong number = position;
   datetime opened = 0;
   string magic = "0";
   string type = "BUY";
   for(int i = first; i <= last; i++)
     {
      ulong deal = HistoryDealGetTicket(i);
      if((ulong)HistoryDealGetInteger(deal, DEAL_POSITION_ID) != position)
         continue;
      int entry = (int)HistoryDealGetInteger(deal, DEAL_ENTRY);
      double lots = HistoryDealGetDouble(deal, DEAL_VOLUME);
      double result = HistoryDealGetDouble(deal, DEAL_PROFIT) + HistoryDealGetDouble(deal, DEAL_SWAP)
                      + HistoryDealGetDouble(deal, DEAL_COMMISSION) + HistoryDealGetDouble(deal, DEAL_FEE);
      if(i == last)
        {
         closedVolume = entry == DEAL_ENTRY_INOUT ? volume : lots;
         net += result;
         break;
        }
      if(entry == DEAL_ENTRY_OUT || entry == DEAL_ENTRY_OUT_BY)
        {
         volume -= lots;
         net += result;
         continue;
        }
      double price = HistoryDealGetDouble(deal, DEAL_PRICE);
      if(entry == DEAL_ENTRY_INOUT || volume <= 0)
        {
         // A line begins: the position's first deal, or a reversal with what it left.
         number = entry == DEAL_ENTRY_INOUT ? (ulong)HistoryDealGetInteger(deal, DEAL_ORDER) : position;
         opened = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
         magic = IntegerToString(HistoryDealGetInteger(deal, DEAL_MAGIC));
         type = HistoryDealGetInteger(deal, DEAL_TYPE) == DEAL_TYPE_BUY ? "BUY" : "SELL";
         volume = entry == DEAL_ENTRY_INOUT ? lots - volume : lots;
         average = price;
         net = entry == DEAL_ENTRY_INOUT ? 0 : result;
         continue;
        }
      average = (average * volume + price * lots) / (volume + lots);
      volume += lots;
      net += result;
     }
   ulong closing = HistoryDealGetTicket(last);
   string symbol = HistoryDealGetString(closing, DEAL_SYMBOL);
   int digits = PriceDigits(symbol);
   // A closing deal has the stops the position had; a reversal deal has
   // those of the order that reversed it, so the closed line's are unknown.
   double stopLoss = 0, takeProfit = 0;
   if(HistoryDealGetInteger(closing, DEAL_ENTRY) != DEAL_ENTRY_INOUT)
     {
      stopLoss = HistoryDealGetDouble(closing, DEAL_SL);
      takeProfit = HistoryDealGetDouble(closing, DEAL_TP);
     }
   string state = type + ";" + symbol + ";" + DoubleToString(closedVolume, LotDigits(symbol)) + ";" + Price(average, digits) + ";"
                  + Price(stopLoss, digits) + ";" + Price(takeProfit, digits);
   return Line(opened, magic, account, number, "X", state, 0, Price(HistoryDealGetDouble(closing, DEAL_PRICE), digits),
               DoubleToString(net, 2), demo);
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

// MT5's order types as the log names them. A stop limit order is written
// as the stop order it is until its stop price is reached.
string TypeText(int type)
  {
   switch(type)
     {
      case ORDER_TYPE_BUY:             return "BUY";
      case ORDER_TYPE_SELL:            return "SELL";
      case ORDER_TYPE_BUY_LIMIT:       return "BUYLIMIT";
      case ORDER_TYPE_SELL_LIMIT:      return "SELLLIMIT";
      case ORDER_TYPE_BUY_STOP:        return "BUYSTOP";
      case ORDER_TYPE_SELL_STOP:       return "SELLSTOP";
      case ORDER_TYPE_BUY_STOP_LIMIT:  return "BUYSTOP";
      case ORDER_TYPE_SELL_STOP_LIMIT: return "SELLSTOP";
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
