#include "relay/order_fields.h"

#include <array>

#include "common/text_values.h"

namespace kv {

namespace {

constexpr std::string_view kUnset = " ";

// Fills every field but the last from the rest of the text up to the next
// ";". A missing ";" leaves the rest as it is, so the field repeats it.
// Fields are short, so a plain scan beats a library search call per field.
template <std::size_t N>
void splitFields(std::string_view rest, std::array<std::string_view, N>& fields) {
    static_assert(N > 1);
    const char* from = rest.data();
    const char* const end = from + rest.size();
    for (auto field = fields.begin(); field + 1 != fields.end(); ++field) {
        const char* p = from;
        while (p != end && *p != ';') ++p;
        *field = std::string_view(from, static_cast<std::size_t>(p - from));
        if (p != end) from = p + 1;
    }
    fields.back() = std::string_view(from, static_cast<std::size_t>(end - from));
}

}  // namespace

OrderLine splitOrderLine(std::string_view line) {
    std::array<std::string_view, 14> f;
    f.fill(kUnset);
    if (line.size() > 1) splitFields(line, f);
    OrderLine o{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12], f[13], kUnset, kUnset};
    if (line.size() > 1) {
        o.stateMark = o.orderState.substr(0, 1);
        o.modStamp = o.orderState.empty() ? o.orderState : o.orderState.substr(1);
    }
    return o;
}

KnownRecord splitKnownRecord(std::string_view record) {
    std::array<std::string_view, 3> f;
    f.fill(kUnset);
    if (record.size() > 1) splitFields(record, f);
    return {f[0], f[1], f[2]};
}

std::optional<Reply> splitReply(std::string_view reply) {
    if (reply.size() < 2) return std::nullopt;
    std::array<std::string_view, 2> f;
    splitFields(reply, f);
    std::string_view state = f[1].substr(0, f[1].find(' '));
    if (!state.empty()) state.remove_suffix(1);
    return Reply{f[0], state};
}

std::string knownRecordOf(const OrderLine& line) {
    std::string record;
    record.reserve(line.orderNo.size() + line.stateMark.size() + line.modStamp.size() + 2);
    record.append(line.orderNo).append(";").append(line.stateMark).append(";").append(line.modStamp);
    return record;
}

bool isShortOrderLine(std::string_view line) { return trimSpaces(line).size() < 8; }

}  // namespace kv
