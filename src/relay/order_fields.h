#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The fourteen fields of one line of systemorder.log, field 5 also split into
// its state mark and modification stamp. The fields are views into the line
// that was split: they stay valid while that text lives unchanged.
struct OrderLine {
    std::string_view lineDate, lineField2, accountNo, orderNo, orderState, orderType, orderSymbol, orderLots,
        openPrice, stopLoss, takeProfit, closePrice, orderPnl, demoFlag;
    std::string_view stateMark, modStamp;
};

// A known-order record: order number ; state mark ; modification stamp.
struct KnownRecord {
    std::string_view knownOrderNo, knownMark, knownStamp;
};

// What the service answered to an order event request.
struct Reply {
    std::string_view replyOrderNo, replyState;
};

// Fields end at the next ";"; when a ";" is missing every later field repeats
// the rest of the line, and the last field is always the whole rest. A line
// of 0 or 1 characters leaves every field a single blank. Lines of any length
// (beyond 32,767 characters too) are split and kept whole, never cut.
OrderLine splitOrderLine(std::string_view line);
KnownRecord splitKnownRecord(std::string_view record);

// The order number up to the first ";", then the state up to the first blank
// less its last character. A reply of 0 or 1 characters is not split at all.
std::optional<Reply> splitReply(std::string_view reply);

// The known-order record that stands for this line.
std::string knownRecordOf(const OrderLine& line);

// Order log lines this short (spaces around them not counted) are not orders.
bool isShortOrderLine(std::string_view line);

}  // namespace kv
