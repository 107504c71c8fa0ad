//+------------------------------------------------------------------+
//| KorvaneVantor.mq4                                                |
//| Writes the account's orders into systemorder.log, the file the   |
//| Korvane - Vantor relay reads. It never trades.                   |
//+------------------------------------------------------------------+
#property copyright   "Korvane - Vantor"
#property version     "1.10"
#property description "Writes this account's orders into systemorder.log in the terminal's Files folder for the Korvane - Vantor relay. It never trades."
#property strict

#include "KorvaneVantorShared.mqh"

// The open orders as last seen, by number only: a period compares these
// and builds no text unless one differs.
int      openTicket[KV_OPEN_LIMIT];
int      openType[KV_OPEN_LIMIT];
double   openLots[KV_OPEN_LIMIT];
double   openPrice[KV_OPEN_LIMIT];
double   openStop[KV_OPEN_LIMIT];
double   openTake[KV_OPEN_LIMIT];
datetime openExpiry[KV_OPEN_LIMIT];
string   openLine[KV_OPEN_LIMIT];  // its line, "" until built for these numbers
int      openCount;
// The history read so far, and the tickets at its two ends, to see it
// replaced (another account, the Account History tab's period or sort).
int      historyRead;
int      historyFirst;
int      historyLast;

void ForgetOrders()
  {
   openCount = -1;
   historyRead = 0;
  }

double ListTotals()
  {
   return OrdersTotal() * 1000000.0 + OrdersHistoryTotal();
  }

//+------------------------------------------------------------------+
//| Whether the open orders or the history differ from the last       |
//| period: numbers only, no text.                                    |
//+------------------------------------------------------------------+
bool OrdersChanged()
  {
   int total = OrdersTotal();
   bool changed = total != openCount || OrdersHistoryTotal() != historyRead;
   if(total > KV_OPEN_LIMIT)
      total = KV_OPEN_LIMIT;
   for(int i = 0; i < total; i++)
     {
      if(!OrderSelect(i, SELECT_BY_POS, MODE_TRADES))
        {
         total = i;
         changed = true;                    // the pool moved under us
         break;
        }
      int ticket = OrderTicket();
      int type = OrderType();
      double lots = OrderLots();
      double price = OrderOpenPrice();
      double stop = OrderStopLoss();
      double take = OrderTakeProfit();
      datetime expiry = OrderExpiration();
      if(i < openCount && ticket == openTicket[i] && type == openType[i] && lots == openLots[i] && price == openPrice[i]
         && stop == openStop[i] && take == openTake[i] && expiry == openExpiry[i])
         continue;
      changed = true;
      openTicket[i] = ticket;
      openType[i] = type;
      openLots[i] = lots;
      openPrice[i] = price;
      openStop[i] = stop;
      openTake[i] = take;
      openExpiry[i] = expiry;
      openLine[i] = "";
     }
   openCount = total;
   return changed;
  }

//+------------------------------------------------------------------+
//| The whole log: open and pending orders, then the orders closed or |
//| deleted within the retention window, newest first. Written only   |
//| from one consistent view: open orders are selected by ticket, and |
//| when a total moved meanwhile the period writes nothing.           |
//+------------------------------------------------------------------+
string BuildLog()
  {
   buildComplete = false;
   int openTotal = OrdersTotal();
   int historyTotal = OrdersHistoryTotal();
   string account = AccountText();
   string demo = DemoText();
   if(openTotal != openCount || !ReadNewHistory(historyTotal, account, demo))
      return "";
   string text = "";
   for(int i = 0; i < openCount; i++)
     {
      if(!OrderSelect(openTicket[i], SELECT_BY_TICKET) || OrderCloseTime() != 0)
         return "";                         // closed meanwhile
      if(openLine[i] == "")
         openLine[i] = OrderLine("O", account, demo);
      text += openLine[i];
     }
   text += ClosedText();
   if(OrdersTotal() != openTotal || OrdersHistoryTotal() != historyTotal)
      return "";
   lineCount = openCount + closedCount;
   buildComplete = true;
   return text;
  }

// Keeps the X lines of the history entries not read yet, newest first so
// that a long history stops at the oldest line kept.
bool ReadNewHistory(int total, string account, string demo)
  {
   if(historyRead > total || (historyRead > 0 && !SameHistory()))
     {
      historyRead = 0;
      closedCount = 0;
     }
   if(total == historyRead)
      return true;
   if(!OrderSelect(0, SELECT_BY_POS, MODE_HISTORY))
      return false;
   int first = OrderTicket();
   if(!OrderSelect(total - 1, SELECT_BY_POS, MODE_HISTORY))
      return false;
   int last = OrderTicket();
   for(int i = total - 1; i >= historyRead; i--)
     {
      if(!OrderSelect(i, SELECT_BY_POS, MODE_HISTORY))
         return false;
      if(OrderType() > OP_SELLSTOP || !WouldKeepClosed(OrderCloseTime()))
         continue;                          // balance and credit entries, lines out of the window
      KeepClosed(OrderCloseTime(), 0, OrderTicket(), OrderTicket(), OrderLine("X", account, demo));
     }
   historyRead = total;
   historyFirst = first;
   historyLast = last;
   return true;
  }

bool SameHistory()
  {
   if(!OrderSelect(0, SELECT_BY_POS, MODE_HISTORY) || OrderTicket() != historyFirst)
      return false;
   return OrderSelect(historyRead - 1, SELECT_BY_POS, MODE_HISTORY) && OrderTicket() == historyLast;
  }

// The selected order's line.
string OrderLine(string mark, string account, string demo)
  {
   string symbol = OrderSymbol();
   string closePrice = "0";
   string profit = "0";
   if(mark == "X")
     {
      closePrice = Price(OrderClosePrice(), PriceDigits(symbol));
      profit = DoubleToString(OrderProfit() + OrderSwap() + OrderCommission(), 2);
     }
   string state = LineState(OrderType(), symbol, OrderLots(), OrderOpenPrice(), OrderStopLoss(), OrderTakeProfit());
   return Line(OrderOpenTime(), IntegerToString(OrderMagicNumber()), account, OrderTicket(), mark, state, OrderExpiration(),
               closePrice, profit, demo);
  }
//+------------------------------------------------------------------+
