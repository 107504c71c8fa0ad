//+------------------------------------------------------------------+
//| KorvaneVantor.mq5                                                |
//| Writes the account's positions and orders into systemorder.log,  |
//| the file the Korvane - Vantor relay reads. It never trades.      |
//+------------------------------------------------------------------+
#property copyright   "Korvane - Vantor"
#property version     "1.10"
#property description "Writes this account's positions and orders into systemorder.log in the terminal's Files folder for the Korvane - Vantor relay. It never trades."

#include "KorvaneVantorShared.mqh"

#define KV_READ_MARGIN  60    // s: deals and orders are read again this far back, as one second holds several
#define KV_READ_LIMIT   2000  // deals and orders within the margin remembered as read
#define KV_LAG_PERIODS  100   // periods an open position may wait for its deals to reach the history

// The open positions and orders as last seen, by number only: a period
// compares these and builds no text unless one differs.
ulong    seenTicket[KV_OPEN_LIMIT];
int      seenWhat[KV_OPEN_LIMIT];
double   seenVolume[KV_OPEN_LIMIT];
double   seenPrice[KV_OPEN_LIMIT];
double   seenStop[KV_OPEN_LIMIT];
double   seenTake[KV_OPEN_LIMIT];
datetime seenExpiry[KV_OPEN_LIMIT];
string   seenLine[KV_OPEN_LIMIT];    // its line, "" until built for these numbers
ulong    seenNumber[KV_OPEN_LIMIT];  // the number it was built with (a position's)
int      seenCount;
// Each open position's line as its deals make it, by identifier: the line's
// number (the identifier; the reversing order's ticket after a netting
// reversal; the reopening deal's when the identifier comes back after its
// line closed), when it began, its magic number and direction, and the lots,
// average entry and net result of its deals so far.
ulong    posId[KV_OPEN_LIMIT];
ulong    posNumber[KV_OPEN_LIMIT];
int      posLines[KV_OPEN_LIMIT];
datetime posOpened[KV_OPEN_LIMIT];
string   posMagic[KV_OPEN_LIMIT];
bool     posBuy[KV_OPEN_LIMIT];
double   posVolume[KV_OPEN_LIMIT];
double   posAverage[KV_OPEN_LIMIT];
double   posNet[KV_OPEN_LIMIT];
bool     posListed[KV_OPEN_LIMIT];  // its position is in the list this build
int      posCount;
// The history read: up to readUntil, and what within the margin before it.
bool     historyRead;
datetime readUntil;
ulong    readTicket[KV_READ_LIMIT];
int      readKind[KV_READ_LIMIT];
datetime readTime[KV_READ_LIMIT];
int      readCount;
// What the last read found for this build: positions to replay, pending
// orders that ended.
ulong    replayId[KV_OPEN_LIMIT];
int      replayCount;
ulong    endedOrder[KV_CLOSED_LIMIT];
int      endedCount;
int      lagPeriods;        // periods an open position has waited for its deals

void ForgetOrders()
  {
   seenCount = -1;
   posCount = 0;
   historyRead = false;
   readUntil = 0;
   readCount = 0;
   lagPeriods = 0;
  }

// The trade server tells every change: the log follows at once. The
// timer stays, should an event be lost.
void OnTradeTransaction(const MqlTradeTransaction &trans, const MqlTradeRequest &request, const MqlTradeResult &result)
  {
   Refresh(false);
  }

double ListTotals()
  {
   double deals = HistorySelect(0, TimeCurrent() + 86400) ? HistoryDealsTotal() : -1;
   return PositionsTotal() * 1000000000000.0 + OrdersTotal() * 1000000.0 + deals;
  }

//+------------------------------------------------------------------+
//| Whether the positions or the active orders differ from the last   |
//| period: numbers only, no text.                                    |
//+------------------------------------------------------------------+
bool OrdersChanged()
  {
   int positions = PositionsTotal();
   int total = positions + OrdersTotal();
   bool changed = total != seenCount;
   if(total > KV_OPEN_LIMIT)
      total = KV_OPEN_LIMIT;
   for(int i = 0; i < total; i++)
     {
      ulong ticket;
      int what;
      double volume, price, stop, take;
      datetime expiry = 0;
      if(i < positions)
        {
         ticket = PositionGetTicket(i);
         what = (int)PositionGetInteger(POSITION_TYPE);
         volume = PositionGetDouble(POSITION_VOLUME);
         price = PositionGetDouble(POSITION_PRICE_OPEN);
         stop = PositionGetDouble(POSITION_SL);
         take = PositionGetDouble(POSITION_TP);
        }
      else
        {
         ticket = OrderGetTicket(i - positions);
         what = 1000 + (int)OrderGetInteger(ORDER_TYPE) * 100 + (int)OrderGetInteger(ORDER_STATE);
         volume = OrderGetDouble(ORDER_VOLUME_CURRENT);
         price = OrderGetDouble(ORDER_PRICE_OPEN);
         stop = OrderGetDouble(ORDER_SL);
         take = OrderGetDouble(ORDER_TP);
         expiry = (datetime)OrderGetInteger(ORDER_TIME_EXPIRATION);
        }
      if(ticket == 0)
        {
         total = i;
         changed = true;                    // the lists moved under us
         break;
        }
      if(i < seenCount && ticket == seenTicket[i] && what == seenWhat[i] && volume == seenVolume[i] && price == seenPrice[i]
         && stop == seenStop[i] && take == seenTake[i] && expiry == seenExpiry[i])
         continue;
      changed = true;
      seenTicket[i] = ticket;
      seenWhat[i] = what;
      seenVolume[i] = volume;
      seenPrice[i] = price;
      seenStop[i] = stop;
      seenTake[i] = take;
      seenExpiry[i] = expiry;
      seenLine[i] = "";
     }
   seenCount = total;
   return changed;
  }

//+------------------------------------------------------------------+
//| The whole log: positions, pending orders, then the lines closed  |
//| or deleted within the retention window, newest first. Nothing    |
//| while a market order is still executing: OrdersTotal() counts    |
//| "market orders that have not yet been executed", and its deals   |
//| may have made only part of a position so far. Nothing either     |
//| when a total moved while the text was built.                     |
//+------------------------------------------------------------------+
string BuildLog()
  {
   buildComplete = false;
   int positions = PositionsTotal();
   int orders = OrdersTotal();
   if(Executing() || !ReadHistory())
      return "";
   if(positions + orders != seenCount)
      return "";                            // the lists moved since they were compared
   string account = AccountText();
   string demo = DemoText();
   string text = "";
   int count = 0;
   for(int k = 0; k < posCount; k++)
      posListed[k] = false;
   for(int i = 0; i < positions; i++)
     {
      if(PositionGetTicket(i) == 0)
         return "";
      int slot = PositionSlot((ulong)PositionGetInteger(POSITION_IDENTIFIER));
      if(slot >= 0)
         posListed[slot] = true;
      if(!DealsShow(slot))
        {
         if(++lagPeriods < KV_LAG_PERIODS)
            return "";                      // its deals have not reached the history yet
         if(slot >= 0 && posVolume[slot] <= KV_EPSILON)
            slot = -1;                      // waited long enough: the line as it stands
        }
      ulong number = slot >= 0 ? posNumber[slot] : (ulong)PositionGetInteger(POSITION_IDENTIFIER);
      if(seenLine[i] == "" || seenNumber[i] != number)
        {
         seenLine[i] = PositionLine(slot, account, demo);
         seenNumber[i] = number;
        }
      text += seenLine[i];
      count++;
     }
   for(int i = 0; i < orders; i++)
     {
      ulong ticket = OrderGetTicket(i);
      if(ticket == 0)
         return "";
      // A pending order partly filled into a position of its own is that
      // position's line now; its rest waits unseen.
      if(IsPositionLine(ticket) || HasPositionNumbered(ticket, positions))
         continue;
      if(seenLine[positions + i] == "")
         seenLine[positions + i] = PendingLine(account, demo);
      text += seenLine[positions + i];
      count++;
     }
   // A position gone whose closing deal is not in the history yet: its X line comes with it.
   for(int k = 0; k < posCount; k++)
      if(!posListed[k] && ++lagPeriods < KV_LAG_PERIODS)
         return "";
   text += ClosedText();
   if(PositionsTotal() != positions || OrdersTotal() != orders || Executing())
      return "";
   lagPeriods = 0;
   lineCount = count + closedCount;
   buildComplete = true;
   return text;
  }

// Whether the selected position's line is as its deals make it: a position
// may change before its deal is in the history, and a reversal or a line
// begun again must not be written as a change of the line before. A
// position whose deals are not in yet, and whose number no closed line
// bears, is new: its first line bears its identifier.
bool DealsShow(int slot)
  {
   if(slot < 0)
      return !IsPositionLine((ulong)PositionGetInteger(POSITION_IDENTIFIER));
   return posVolume[slot] > KV_EPSILON && posBuy[slot] == (PositionGetInteger(POSITION_TYPE) == POSITION_TYPE_BUY);
  }

// Whether one of this build's position lines has the number.
bool HasPositionNumbered(ulong number, int positions)
  {
   for(int i = 0; i < positions; i++)
      if(seenNumber[i] == number)
         return true;
   return false;
  }

bool Executing()
  {
   int total = OrdersTotal();
   for(int i = 0; i < total; i++)
     {
      if(OrderGetTicket(i) == 0)
         return true;                       // the list moved: as good as executing
      int type = (int)OrderGetInteger(ORDER_TYPE);
      if(type == ORDER_TYPE_BUY || type == ORDER_TYPE_SELL || type == ORDER_TYPE_CLOSE_BY)
         return true;
     }
   return false;
  }

//+------------------------------------------------------------------+
//| Open lines                                                        |
//+------------------------------------------------------------------+
// The selected position; slot is its kept line, -1 when its deals never
// came (its identifier numbers it then).
string PositionLine(int slot, string account, string demo)
  {
   ulong number = (ulong)PositionGetInteger(POSITION_IDENTIFIER);
   datetime opened = (datetime)PositionGetInteger(POSITION_TIME);
   if(slot >= 0)
     {
      number = posNumber[slot];
      opened = posOpened[slot];
     }
   string state = LineState(PositionGetInteger(POSITION_TYPE) == POSITION_TYPE_BUY ? 0 : 1, PositionGetString(POSITION_SYMBOL),
                            PositionGetDouble(POSITION_VOLUME), PositionGetDouble(POSITION_PRICE_OPEN),
                            PositionGetDouble(POSITION_SL), PositionGetDouble(POSITION_TP));
   return Line(opened, IntegerToString(PositionGetInteger(POSITION_MAGIC)), account, number, "O", state, 0, "0", "0", demo);
  }

// The selected pending order, with the lots still to fill.
string PendingLine(string account, string demo)
  {
   string state = LineState((int)OrderGetInteger(ORDER_TYPE), OrderGetString(ORDER_SYMBOL), OrderGetDouble(ORDER_VOLUME_CURRENT),
                            OrderGetDouble(ORDER_PRICE_OPEN), OrderGetDouble(ORDER_SL), OrderGetDouble(ORDER_TP));
   return Line((datetime)OrderGetInteger(ORDER_TIME_SETUP), IntegerToString(OrderGetInteger(ORDER_MAGIC)), account,
               (ulong)OrderGetInteger(ORDER_TICKET), "O", state, (datetime)OrderGetInteger(ORDER_TIME_EXPIRATION), "0", "0", demo);
  }

// Whether a position's line, open or closed, has this number.
bool IsPositionLine(ulong number)
  {
   for(int k = 0; k < posCount; k++)
      if(posNumber[k] == number && posVolume[k] > KV_EPSILON)
         return true;
   for(int k = 0; k < closedCount; k++)
      if(closedNumber[k] == number && closedKind[k] == 1)
         return true;
   return false;
  }

//+------------------------------------------------------------------+
//| The history: read from the last deal and order read (less a      |
//| margin), not from the start; the whole retention window only      |
//| after a start or a reconnection. A position whose line is kept    |
//| takes its new deals one by one; any other has its deals replayed  |
//| (HistorySelectByPosition), once.                                  |
//+------------------------------------------------------------------+
bool ReadHistory()
  {
   datetime from = historyRead ? readUntil - KV_READ_MARGIN : ClosedSince();
   if(!HistorySelect(from, TimeCurrent() + 86400))  // a deal may be later than the last quote's time
      return false;
   replayCount = 0;
   endedCount = 0;
   int deals = HistoryDealsTotal();
   if(!historyRead)
      CollectClosingPositions(deals);
   else
      for(int i = 0; i < deals; i++)
        {
         ulong deal = HistoryDealGetTicket(i);
         datetime at = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
         if(!MarkRead(1, deal, at))
            continue;
         int type = (int)HistoryDealGetInteger(deal, DEAL_TYPE);
         if(type != DEAL_TYPE_BUY && type != DEAL_TYPE_SELL)
            continue;                       // balance, credit, charges
         ulong id = (ulong)HistoryDealGetInteger(deal, DEAL_POSITION_ID);
         int slot = PositionSlot(id);
         if(slot >= 0)
            ApplyDeal(slot, deal);
         else
            AddReplay(id);
        }
   int orders = HistoryOrdersTotal();
   for(int i = orders - 1; i >= 0; i--)
     {
      ulong ticket = HistoryOrderGetTicket(i);
      datetime done = (datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_DONE);
      if(historyRead ? !MarkRead(0, ticket, done) : !WouldKeepClosed(done))
         continue;
      int type = (int)HistoryOrderGetInteger(ticket, ORDER_TYPE);
      if(type >= ORDER_TYPE_BUY_LIMIT && type <= ORDER_TYPE_SELL_STOP_LIMIT && endedCount < KV_CLOSED_LIMIT)
         endedOrder[endedCount++] = ticket;
     }
   if(!historyRead)
      MarkRecent(deals, orders);
   // Every open position has its line; the deals of any other are replayed.
   int positions = PositionsTotal();
   for(int i = 0; i < positions; i++)
      if(PositionGetTicket(i) != 0 && PositionSlot((ulong)PositionGetInteger(POSITION_IDENTIFIER)) < 0)
         AddReplay((ulong)PositionGetInteger(POSITION_IDENTIFIER));
   bool replayed = replayCount > 0;
   for(int k = 0; k < replayCount; k++)
      ReplayPosition(replayId[k]);
   DropClosedPositions();
   if(endedCount > 0 && (!replayed || HistorySelect(from, TimeCurrent() + 86400)))
      for(int k = 0; k < endedCount; k++)
         KeepEndedOrder(endedOrder[k]);
   ForgetReadBefore(readUntil - KV_READ_MARGIN);
   historyRead = true;
   return true;
  }

// After a start: the positions of the newest closing deals in the window,
// as many as there may be X lines.
void CollectClosingPositions(int deals)
  {
   int found = 0;
   for(int i = deals - 1; i >= 0 && found < ClosedLimit(); i--)
     {
      ulong deal = HistoryDealGetTicket(i);
      int entry = (int)HistoryDealGetInteger(deal, DEAL_ENTRY);
      int type = (int)HistoryDealGetInteger(deal, DEAL_TYPE);
      if((type != DEAL_TYPE_BUY && type != DEAL_TYPE_SELL) || entry == DEAL_ENTRY_IN)
         continue;
      AddReplay((ulong)HistoryDealGetInteger(deal, DEAL_POSITION_ID));
      found++;
     }
  }

// After a start: what lies within the margin of the newest deal or order
// counts as read.
void MarkRecent(int deals, int orders)
  {
   datetime newest = 0;
   if(deals > 0)
      newest = (datetime)HistoryDealGetInteger(HistoryDealGetTicket(deals - 1), DEAL_TIME);
   if(orders > 0 && (datetime)HistoryOrderGetInteger(HistoryOrderGetTicket(orders - 1), ORDER_TIME_DONE) > newest)
      newest = (datetime)HistoryOrderGetInteger(HistoryOrderGetTicket(orders - 1), ORDER_TIME_DONE);
   readUntil = newest;
   for(int i = deals - 1; i >= 0; i--)
     {
      ulong deal = HistoryDealGetTicket(i);
      datetime at = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
      if(at < newest - KV_READ_MARGIN)
         break;
      MarkRead(1, deal, at);
     }
   for(int i = orders - 1; i >= 0; i--)
     {
      ulong ticket = HistoryOrderGetTicket(i);
      datetime at = (datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_DONE);
      if(at < newest - KV_READ_MARGIN)
         break;
      MarkRead(0, ticket, at);
     }
  }

// Remembers a deal (kind 1) or an order (kind 0) as read; false when it
// was read already. Deals and orders are numbered apart.
bool MarkRead(int kind, ulong ticket, datetime at)
  {
   if(at > readUntil)
      readUntil = at;
   for(int k = 0; k < readCount; k++)
      if(readTicket[k] == ticket && readKind[k] == kind)
         return false;
   if(readCount == KV_READ_LIMIT)
      ForgetReadBefore(readUntil - KV_READ_MARGIN);
   if(readCount < KV_READ_LIMIT)
     {
      readTicket[readCount] = ticket;
      readKind[readCount] = kind;
      readTime[readCount] = at;
      readCount++;
     }
   return true;
  }

// What lies before the margin is never selected again.
void ForgetReadBefore(datetime since)
  {
   int kept = 0;
   for(int k = 0; k < readCount; k++)
     {
      if(readTime[k] < since)
         continue;
      readTicket[kept] = readTicket[k];
      readKind[kept] = readKind[k];
      readTime[kept] = readTime[k];
      kept++;
     }
   readCount = kept;
  }

void AddReplay(ulong id)
  {
   for(int k = 0; k < replayCount; k++)
      if(replayId[k] == id)
         return;
   if(replayCount < KV_OPEN_LIMIT)
      replayId[replayCount++] = id;
  }

int PositionSlot(ulong id)
  {
   for(int k = 0; k < posCount; k++)
      if(posId[k] == id)
         return k;
   return -1;
  }

// Replays every deal of the position: its closed lines are kept, and so
// is its open line, if it has one.
void ReplayPosition(ulong id)
  {
   if(!HistorySelectByPosition(id))
      return;
   int slot = PositionSlot(id);
   if(slot < 0)
     {
      if(posCount >= KV_OPEN_LIMIT)
         return;
      slot = posCount++;
      posId[slot] = id;
     }
   posLines[slot] = 0;
   posVolume[slot] = 0;
   int deals = HistoryDealsTotal();
   for(int i = 0; i < deals; i++)
      ApplyDeal(slot, HistoryDealGetTicket(i));
  }

// A line whose position has closed need not be kept.
void DropClosedPositions()
  {
   int kept = 0;
   for(int k = 0; k < posCount; k++)
     {
      if(posVolume[k] <= KV_EPSILON)
         continue;
      posId[kept] = posId[k];
      posNumber[kept] = posNumber[k];
      posLines[kept] = posLines[k];
      posOpened[kept] = posOpened[k];
      posMagic[kept] = posMagic[k];
      posBuy[kept] = posBuy[k];
      posVolume[kept] = posVolume[k];
      posAverage[kept] = posAverage[k];
      posNet[kept] = posNet[k];
      posListed[kept] = posListed[k];
      kept++;
     }
   posCount = kept;
  }

//+------------------------------------------------------------------+
//| One deal of a position's line, in time order: an entry begins the |
//| line or adds to it; an exit takes lots off and, when none are     |
//| left, closes the line; a netting reversal closes it and begins    |
//| one the other way. Lots, average entry and result come from all   |
//| of the line's deals, however many fills each order took.          |
//+------------------------------------------------------------------+
void ApplyDeal(int slot, ulong deal)
  {
   int type = (int)HistoryDealGetInteger(deal, DEAL_TYPE);
   if(type != DEAL_TYPE_BUY && type != DEAL_TYPE_SELL)
      return;
   int entry = (int)HistoryDealGetInteger(deal, DEAL_ENTRY);
   double lots = HistoryDealGetDouble(deal, DEAL_VOLUME);
   double price = HistoryDealGetDouble(deal, DEAL_PRICE);
   double result = HistoryDealGetDouble(deal, DEAL_PROFIT) + HistoryDealGetDouble(deal, DEAL_SWAP)
                   + HistoryDealGetDouble(deal, DEAL_COMMISSION) + HistoryDealGetDouble(deal, DEAL_FEE);
   if(entry == DEAL_ENTRY_IN && posVolume[slot] > KV_EPSILON)
     {
      posAverage[slot] = (posAverage[slot] * posVolume[slot] + price * lots) / (posVolume[slot] + lots);
      posVolume[slot] += lots;
      posNet[slot] += result;
      return;
     }
   if(entry == DEAL_ENTRY_IN)
     {
      // The position's first line bears its identifier; one that begins
      // after its line closed, the deal's own ticket.
      BeginLine(slot, deal, posLines[slot] == 0 ? posId[slot] : deal, lots, price, result);
      return;
     }
   posNet[slot] += result;
   if(entry == DEAL_ENTRY_INOUT)
     {
      // A reversal deal holds the reversing order's stops, not the line's.
      CloseLine(slot, deal, posVolume[slot], 0, 0);
      BeginLine(slot, deal, (ulong)HistoryDealGetInteger(deal, DEAL_ORDER), lots - posVolume[slot], price, 0);
      return;
     }
   if(lots < posVolume[slot] - KV_EPSILON)
     {
      posVolume[slot] -= lots;
      return;
     }
   CloseLine(slot, deal, posVolume[slot], HistoryDealGetDouble(deal, DEAL_SL), HistoryDealGetDouble(deal, DEAL_TP));
   posVolume[slot] = 0;
  }

void BeginLine(int slot, ulong deal, ulong number, double lots, double price, double result)
  {
   posNumber[slot] = number;
   posLines[slot]++;
   posOpened[slot] = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
   posMagic[slot] = IntegerToString(HistoryDealGetInteger(deal, DEAL_MAGIC));
   posBuy[slot] = HistoryDealGetInteger(deal, DEAL_TYPE) == DEAL_TYPE_BUY;
   posVolume[slot] = lots;
   posAverage[slot] = price;
   posNet[slot] = result;
  }

// The X line of the position's line that deal ended, holding lots.
void CloseLine(int slot, ulong deal, double lots, double stopLoss, double takeProfit)
  {
   datetime at = (datetime)HistoryDealGetInteger(deal, DEAL_TIME);
   if(!WouldKeepClosed(at))
      return;
   string symbol = HistoryDealGetString(deal, DEAL_SYMBOL);
   string state = LineState(posBuy[slot] ? 0 : 1, symbol, lots, posAverage[slot], stopLoss, takeProfit);
   KeepClosed(at, 1, deal, posNumber[slot],
              Line(posOpened[slot], posMagic[slot], AccountText(), posNumber[slot], "X", state, 0,
                   Price(HistoryDealGetDouble(deal, DEAL_PRICE), PriceDigits(symbol)), DoubleToString(posNet[slot], 2), DemoText()));
  }

// A pending order in the history ends a line of its own unless a
// position's line took its number (its fill began that line), or its deals
// went to the position it opened: deleted, expired or rejected, or filled
// into an existing netting position, whose own line shows that.
void KeepEndedOrder(ulong ticket)
  {
   int ended = (int)HistoryOrderGetInteger(ticket, ORDER_STATE);
   if(ended != ORDER_STATE_CANCELED && ended != ORDER_STATE_EXPIRED && ended != ORDER_STATE_REJECTED && ended != ORDER_STATE_FILLED)
      return;
   if((ulong)HistoryOrderGetInteger(ticket, ORDER_POSITION_ID) == ticket || IsPositionLine(ticket))
      return;
   string symbol = HistoryOrderGetString(ticket, ORDER_SYMBOL);
   string state = LineState((int)HistoryOrderGetInteger(ticket, ORDER_TYPE), symbol, HistoryOrderGetDouble(ticket, ORDER_VOLUME_INITIAL),
                            HistoryOrderGetDouble(ticket, ORDER_PRICE_OPEN), HistoryOrderGetDouble(ticket, ORDER_SL),
                            HistoryOrderGetDouble(ticket, ORDER_TP));
   KeepClosed((datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_DONE), 0, ticket, ticket,
              Line((datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_SETUP), IntegerToString(HistoryOrderGetInteger(ticket, ORDER_MAGIC)),
                   AccountText(), ticket, "X", state, (datetime)HistoryOrderGetInteger(ticket, ORDER_TIME_EXPIRATION),
                   Price(HistoryOrderGetDouble(ticket, ORDER_PRICE_CURRENT), PriceDigits(symbol)), "0.00", DemoText()));
  }
//+------------------------------------------------------------------+
