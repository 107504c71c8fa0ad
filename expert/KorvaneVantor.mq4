// Stand-in for the expert that writes systemorder.log; the real one replaces this file.
#property copyright "Korvane - Vantor"
#property version   "1.00"
#property description "Writes the account's orders into systemorder.log for Korvane - Vantor."
#property strict

int OnInit()
  {
   return(INIT_SUCCEEDED);
  }

void OnTick()
  {
  }
