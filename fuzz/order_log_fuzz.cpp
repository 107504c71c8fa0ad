// Any order log, known-order record and journal through real poll cycles: the state files hold
// only pieces of the inputs, Active.log the acknowledged requests, and the engine falls quiet.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "reference_service/acknowledgement.h"
#include "relay/order_fields.h"
#include "support/machine.h"

namespace {

using fuzz::require;

using kvtest::Machine;

std::vector<std::string> lines(Machine& m, const std::string& relative) {
    return kv::platform::splitLines(m.read(relative), m.hp.text);
}

// The answer of a service that knows the order log (the first line of the order counts).
std::optional<std::string> faithfulAnswer(Machine& m, const std::string& url) {
    const std::string no = kvtest::pairValue(url, "orderno");
    for (const auto& text : lines(m, Machine::orderFile("systemorder.log"))) {
        if (kv::isShortOrderLine(text)) continue;
        const kv::OrderLine line = kv::splitOrderLine(text);
        if (line.orderNo == no)
            return refsvc::acknowledgement(no, line.orderState, kvtest::shortName(url).starts_with("EditTD "));
    }
    return std::string("unknown order");
}

// One line per order, no blank in field 5 (answers end there), no "&" (it cuts the pairs),
// no record starting with a byte-order mark.
bool settleable(const std::vector<std::string>& orderLines) {
    std::set<std::string> numbers;
    for (const auto& text : orderLines) {
        if (kv::isShortOrderLine(text)) continue;
        if (text.find('&') != std::string::npos) return false;
        const kv::OrderLine line = kv::splitOrderLine(text);
        if (line.orderState.find(' ') != std::string_view::npos) return false;
        if (fuzz::startsWithByteOrderMark(line.orderNo)) return false;
        if (!numbers.insert(std::string(line.orderNo)).second) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool rebuild = input.ConsumeBool();
    const std::string orderLog = input.ConsumeRandomLengthString(8192);
    const std::string knownFile = input.ConsumeRandomLengthString(4096);
    const std::string journalFile = input.ConsumeRandomLengthString(1024);
    const std::vector<uint8_t> replyKinds = input.ConsumeRemainingBytes<uint8_t>();

    Machine e;
    e.write(Machine::orderFile("systemorder.log"), orderLog);
    e.write(Machine::orderFile("manualorder.log"), knownFile);
    e.write("Data/TempClose.dat", journalFile);
    if (!rebuild) e.write("Data/TempInit.dat", "20261205\r\n");

    std::size_t next = 0;
    bool noReplyYet = true;
    e.spoil = [&](const std::string& url, const std::string&) -> std::optional<std::string> {
        require(noReplyYet, "nothing is sent in a cycle after a request got no reply");
        switch (next < replyKinds.size() ? replyKinds[next++] % 5 : 0) {
            case 1: noReplyYet = false; return std::nullopt;
            case 2: return std::string();
            case 3: return std::string("<html>500</html>");
            default: return faithfulAnswer(e, url);
        }
    };
    e.startLoggedIn();
    e.tick();

    // What the state files may hold.
    std::set<std::string> pieces{" "};
    for (auto& l : kv::platform::splitLines(knownFile, e.hp.text)) pieces.insert(l);
    for (auto& l : kv::platform::splitLines(journalFile, e.hp.text)) pieces.insert(l);
    for (const auto& text : kv::platform::splitLines(orderLog, e.hp.text))
        pieces.insert(kv::knownRecordOf(kv::splitOrderLine(text)));
    const bool readBack = std::none_of(pieces.begin(), pieces.end(), fuzz::startsWithByteOrderMark);
    for (const std::string& file : {Machine::orderFile("manualorder.log"), std::string("Data/TempClose.dat")})
        for (const auto& l : lines(e, file))
            require(!readBack || pieces.count(l) == 1, "state files hold pieces of the inputs");

    // Then a service that acknowledges every event, cycle after cycle.
    noReplyYet = true;
    next = replyKinds.size();
    const std::size_t records = lines(e, Machine::orderFile("manualorder.log")).size();
    std::size_t lastSent = 0;
    for (std::size_t round = 0; round < records + 3; ++round) {
        const std::size_t before = e.hp.service.requests.size();
        e.tick();
        lastSent = e.hp.service.requests.size() - before;
    }
    if (settleable(kv::platform::splitLines(orderLog, e.hp.text)))
        require(lastSent == 0, "once everything is acknowledged nothing more is sent");

    const auto journal = lines(e, "Data/Active.log");
    require(static_cast<long>(journal.size()) == e.program().module().reportCounter, "the counter counts the journal lines");
    std::size_t matched = 0;
    for (const auto& url : e.hp.service.requests)
        if (matched < journal.size() && journal[matched] == "\"" + url + "\"") ++matched;
    require(matched == journal.size(), "Active.log holds sent requests, in the order they were sent");
    return 0;
}
