#include "relay/change_detection.h"

#include "relay/order_fields.h"

namespace kv {

namespace {

bool isMarketOrder(std::string_view orderType) { return orderType == "BUY" || orderType == "SELL"; }

void detectOrderEvent(const OrderLine& line, OrderTables& tables, KnownOrders& known, OrderReporter& reporter) {
    if (known.empty()) {
        if (line.stateMark == "X")
            tables.Closelist.push_back(knownRecordOf(line));
        else
            reporter.reportOrderEvent(OrderEvent::New, line, std::nullopt);
        return;
    }
    std::optional<std::size_t> knownIndex = known.find(line.orderNo);
    if (!knownIndex) {
        if (line.stateMark != "X") reporter.reportOrderEvent(OrderEvent::New, line, std::nullopt);
        return;
    }
    KnownRecord record = splitKnownRecord(known.at(*knownIndex));
    if (line.stateMark == record.knownMark) {
        if (line.modStamp != record.knownStamp) reporter.reportOrderEvent(OrderEvent::Modification, line, knownIndex);
    } else {
        reporter.reportOrderEvent(isMarketOrder(line.orderType) ? OrderEvent::Close : OrderEvent::Delete, line,
                                  knownIndex);
    }
}

}  // namespace

void detectOrderEvents(OrderTables& tables, KnownOrders& known, OrderReporter& reporter) {
    const std::size_t lines = tables.systemlist.size();
    for (std::size_t sysIndex = 0; sysIndex < lines; ++sysIndex)
        detectOrderEvent(splitOrderLine(tables.systemlist[sysIndex]), tables, known, reporter);
}

}  // namespace kv
