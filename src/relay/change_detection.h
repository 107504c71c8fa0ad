#pragma once
#include "relay/order_tables.h"
#include "relay/known_orders.h"
#include "relay/order_reporting.h"

namespace kv {

// Compares every order line of this cycle with the known orders and reports
// each new, modified, closed or deleted order. Once reporting stops sending
// (no reply, or no time left) the walk still goes on, for the closed orders
// that need no request; what was not sent is found again next cycle.
void detectOrderEvents(OrderTables& tables, KnownOrders& known, OrderReporter& reporter);

}  // namespace kv
