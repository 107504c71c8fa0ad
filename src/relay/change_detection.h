#pragma once
#include <optional>
#include <string>

#include "platform/platform.h"
#include "relay/frm_manual.h"
#include "relay/known_orders.h"
#include "relay/order_reporting.h"
#include "shell/frm_main_mdi.h"

namespace kv {

// Compares every order line of this cycle with the known orders and reports
// each new, modified, closed or deleted order. Once reporting stops sending
// (no reply, or no time left) the walk still goes on, for the closed orders
// that need no request; what was not sent is found again next cycle.
void detectOrderEvents(FrmManual& tables, KnownOrders& known, OrderReporter& reporter);

// Saves the known orders and the closed-order journal, then empties
// Closelist. The bytes read from the two files this cycle (none when missing)
// spare a write of the same content. True when neither file needed writing.
bool saveOrderTables(const platform::Platform& platform, const FrmMainMdi& main, FrmManual& tables,
                     KnownOrders& known, const std::optional<std::string>& knownAsRead,
                     const std::optional<std::string>& journalAsRead);

}  // namespace kv
