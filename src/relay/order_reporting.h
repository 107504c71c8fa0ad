#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "platform/platform.h"
#include "common/terminal_site.h"
#include "relay/order_tables.h"
#include "relay/known_orders.h"
#include "relay/order_fields.h"

namespace kv {

enum class OrderEvent { New, Modification, Close, Delete };

const char* requestPath(OrderEvent event);  // "/SetTD.do?", "/EditTD.do?", "/CloseTD.do?", "/DeleteTD.do?"

// host, path, then the event's pairs joined by "&", nothing escaped.
std::string requestUrl(const std::string& host, const std::string& systemId, OrderEvent event, const OrderLine& line);

// The service acknowledges an event by answering the order number, ";", the
// line's field 5 and one more character (three for a modification) before
// any blank. No reply (a transport failure) and replies of 0 or 1 characters
// never acknowledge.
bool acknowledges(const std::optional<std::string>& reply, OrderEvent event, const OrderLine& line);

// Sends the events of one terminal's cycle under its trade system and, for
// each one the service acknowledges, moves the tables on and records the
// request in Data\Active.log.
class OrderReporter {
public:
    // deadline: the steady clock's milliseconds by which this cycle stops sending.
    OrderReporter(const platform::Platform& platform, const FrmMainMdi& main, ProsesWriteMO& module,
                  const TerminalSite& site, OrderTables& tables, KnownOrders& known, FileWriter& activeLog,
                  std::uint64_t deadline);

    // knownIndex: the matched record, for every event but a new order.
    void reportOrderEvent(OrderEvent event, const OrderLine& line, std::optional<std::size_t> knownIndex);

    // Nothing more is sent in this cycle once a request got no reply at all,
    // or once the cycle has spent its time for requests: what is left stays
    // pending for the next cycle, so the tray never waits long.
    bool outOfTime() const { return outOfTime_; }
    int requestsSent() const { return requestsSent_; }

    // A pass over the terminals spends at most this long in requests.
    static constexpr std::uint64_t kRequestTimeMs = 1000;

private:
    void acknowledged(OrderEvent event, const OrderLine& line, std::optional<std::size_t> knownIndex);
    void appendActiveLog(const std::string& line);

    platform::Platform platform_;
    const FrmMainMdi& main_;
    ProsesWriteMO& module_;
    const TerminalSite& site_;
    OrderTables& tables_;
    KnownOrders& known_;
    FileWriter& activeLog_;
    std::uint64_t deadline_;
    bool connectionLost_ = false;
    bool outOfTime_ = false;
    int requestsSent_ = 0;
};

}  // namespace kv
