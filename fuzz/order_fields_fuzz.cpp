// The engine's splits of an order line, a known-order record and a reply on any text,
// and the acknowledgement rule on the line's own answer.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "reference_service/acknowledgement.h"
#include "relay/order_fields.h"
#include "relay/order_reporting.h"

namespace {

using fuzz::require;

bool inside(std::string_view part, std::string_view whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

bool hasSeparator(std::string_view field) { return field.find(';') != std::string_view::npos; }

// Once the separators run out the rest stands in every later field; the last is the whole rest.
void checkSplit(std::string_view text, const std::vector<std::string_view>& fields, const char* what) {
    const std::size_t separators = std::count(text.begin(), text.end(), ';');
    const std::size_t last = fields.size() - 1;
    const std::size_t cut = std::min(separators, last);  // fields that end at a ";"
    std::string joined;
    for (std::size_t i = 0; i <= cut; ++i) {
        require(inside(fields[i], text), what);
        if (i < cut) require(!hasSeparator(fields[i]), what);
        joined.append(fields[i]);
        if (i < cut) joined += ';';
    }
    require(joined == text, what);
    for (std::size_t i = cut + 1; i <= last; ++i) require(fields[i] == fields[cut], what);
}

void checkOrderLine(std::string_view text) {
    const kv::OrderLine o = kv::splitOrderLine(text);
    const std::vector<std::string_view> fields{o.lineDate,   o.lineField2, o.accountNo,  o.orderNo, o.orderState,
                                               o.orderType,  o.orderSymbol, o.orderLots, o.openPrice, o.stopLoss,
                                               o.takeProfit, o.closePrice, o.orderPnl,   o.demoFlag};
    if (text.size() <= 1) {
        for (auto f : fields) require(f == " ", "a line of 0 or 1 characters leaves every field a blank");
        require(o.stateMark == " " && o.modStamp == " ", "a too short line leaves mark and stamp a blank");
        return;
    }
    checkSplit(text, fields, "order line fields are the pieces of the line in order");
    require(o.stateMark.size() <= 1, "the state mark is one character");
    require(std::string(o.stateMark) + std::string(o.modStamp) == o.orderState, "mark and stamp make field 5");

    // The record the engine keeps for the line gives back the line's values.
    const std::string record = kv::knownRecordOf(o);
    const kv::KnownRecord back = kv::splitKnownRecord(record);
    require(back.knownOrderNo == o.orderNo && back.knownMark == o.stateMark && back.knownStamp == o.modStamp,
            "a record built from a split line splits back the same");
}

void checkKnownRecord(std::string_view text) {
    const kv::KnownRecord r = kv::splitKnownRecord(text);
    if (text.size() <= 1) {
        require(r.knownOrderNo == " " && r.knownMark == " " && r.knownStamp == " ", "a too short record is blanks");
        return;
    }
    checkSplit(text, {r.knownOrderNo, r.knownMark, r.knownStamp}, "record fields are the pieces of the record");
}

void checkReply(std::string_view text) {
    const std::optional<kv::Reply> reply = kv::splitReply(text);
    if (text.size() < 2) {
        require(!reply, "a reply of 0 or 1 characters is not split");
        return;
    }
    require(reply.has_value(), "a longer reply is split");
    require(!hasSeparator(reply->replyOrderNo) && text.starts_with(reply->replyOrderNo),
            "the order number is the reply up to its first ';'");
    const auto separator = text.find(';');
    const std::string_view rest = separator == std::string_view::npos ? text : text.substr(separator + 1);
    const std::size_t untilBlank = std::min(rest.find(' '), rest.size());
    require(rest.starts_with(reply->replyState), "the state starts the rest of the reply");
    require(reply->replyState.size() == (untilBlank == 0 ? 0 : untilBlank - 1),
            "the state runs to the first blank, less one character");
}

// The service's answer (refsvc::acknowledgement) acknowledges, and the request carries the line's
// order number. (Answers a character short, for another order or missing are the soak's reply faults.)
void checkAcknowledgement(std::string_view text) {
    if (text.size() <= 1) return;
    const kv::OrderLine line = kv::splitOrderLine(text);
    if (line.orderState.empty()) return;  // an empty field 5 makes the rule degenerate
    const bool answerable = line.orderState.find(' ') == std::string_view::npos;
    using kv::OrderEvent;
    for (OrderEvent event : {OrderEvent::New, OrderEvent::Modification, OrderEvent::Close, OrderEvent::Delete}) {
        const bool modification = event == OrderEvent::Modification;
        const std::string answer = refsvc::acknowledgement(line.orderNo, line.orderState, modification);
        require(kv::acknowledges(answer, event, line) == answerable,
                "the expected answer acknowledges unless field 5 holds a blank");
        const std::string url = kv::requestUrl("http://svc", "12", event, line);
        require(url.find("&orderno=" + std::string(line.orderNo) + "&") != std::string::npos,
                "the request carries the order number unchanged");
        require(url.starts_with(std::string("http://svc") + kv::requestPath(event) + "systemid=12&"),
                "the request starts with the host, the path and the system");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkOrderLine(text);
    checkKnownRecord(text);
    checkReply(text);
    checkAcknowledgement(text);
    return 0;
}
