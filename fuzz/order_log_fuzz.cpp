// Any order log, known-order record and closed-order journal through real
// poll cycles, with a service that answers from the input: only pieces of
// the inputs reach the state files, Data\Active.log holds exactly the
// acknowledged requests, nothing is sent after a request got no reply, and
// once the service acknowledges everything the engine falls quiet.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_file.h"
#include "relay/frm_manual.h"
#include "relay/order_fields.h"
#include "relay/poll_cycle.h"
#include "shell/base/frm_main_mdi.h"
#include "shell/base/proses_write_mo.h"

namespace {

using fuzz::require;

const std::string kFiles = "MT4/experts/files/";

struct Engine {
    kv::platform::headless::HeadlessPlatform hp;
    kv::platform::Platform platform = hp.platform();
    kv::FrmMainMdi main;
    kv::ProsesWriteMO module;
    std::unique_ptr<kv::FrmManual> manual;
    std::unique_ptr<kv::PollCycle> cycle;

    Engine() {
        main.pathname1 = hp.root() + "\\MT4\\experts\\files";
        main.host = "http://svc";
        module.systemId = "12";
        module.loginDate = 20261205;
        manual = std::make_unique<kv::FrmManual>(platform, main, module);
        cycle = std::make_unique<kv::PollCycle>(platform, main, module, *manual);
    }
    std::vector<std::string> lines(const std::string& relative) {
        return kv::platform::splitLines(hp.readFile(relative), hp.files);
    }
};

std::string pairValue(const std::string& url, const std::string& name) {
    auto at = url.find("&" + name + "=");
    if (at == std::string::npos) return {};
    at += name.size() + 2;
    return url.substr(at, url.find('&', at) - at);
}

// What a service that knows the order log answers: the order number, ";",
// field 5 of the order's first line (of those long enough to be orders),
// and the closing characters.
std::optional<std::string> faithfulAnswer(Engine& e, const std::string& url) {
    const std::string no = pairValue(url, "orderno");
    for (const auto& text : e.lines(kFiles + "systemorder.log")) {
        if (kv::isShortOrderLine(text)) continue;
        const kv::OrderLine line = kv::splitOrderLine(text);
        if (line.orderNo == no)
            return no + ";" + std::string(line.orderState) +
                   (fuzz::startsWith(url, "http://svc/EditTD.do?") ? "ok\n" : "\n");
    }
    return std::string("unknown order");
}

// Orders the engine can settle: one line per order number, a field 5 that an
// answer can carry (no blank), no "&" that would cut the request's pairs, and
// no order number that would make its record start with a byte-order mark.
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

    Engine e;
    e.hp.makeFolder(kFiles);
    e.hp.writeFile(kFiles + "systemorder.log", orderLog);
    e.hp.writeFile(kFiles + "manualorder.log", knownFile);
    e.hp.writeFile("Data/TempClose.dat", journalFile);
    if (!rebuild) e.hp.writeFile("Data/TempInit.dat", "20261205\r\n");

    std::size_t next = 0;
    bool noReplyYet = true;
    e.hp.service.answer = [&](const std::string& url) -> std::optional<std::string> {
        require(noReplyYet, "nothing is sent in a cycle after a request got no reply");
        switch (next < replyKinds.size() ? replyKinds[next++] % 5 : 0) {
            case 1: noReplyYet = false; return std::nullopt;
            case 2: return std::string();
            case 3: return std::string("<html>500</html>");
            default: return faithfulAnswer(e, url);
        }
    };
    e.manual->use();
    e.cycle->tick();

    // What the state files may hold. A piece that starts with a byte-order
    // mark does not read back the same once it comes first in a file.
    std::set<std::string> pieces{" "};
    for (auto& l : kv::platform::splitLines(knownFile, e.hp.files)) pieces.insert(l);
    for (auto& l : kv::platform::splitLines(journalFile, e.hp.files)) pieces.insert(l);
    for (const auto& text : kv::platform::splitLines(orderLog, e.hp.files))
        pieces.insert(kv::knownRecordOf(kv::splitOrderLine(text)));
    const bool readBack = std::none_of(pieces.begin(), pieces.end(), fuzz::startsWithByteOrderMark);
    for (const std::string& file : {kFiles + "manualorder.log", std::string("Data/TempClose.dat")})
        for (const auto& l : e.lines(file))
            require(!readBack || pieces.count(l) == 1, "state files hold pieces of the inputs");

    // Then a service that acknowledges every event, cycle after cycle.
    noReplyYet = true;
    next = replyKinds.size();
    const std::size_t records = e.lines(kFiles + "manualorder.log").size();
    std::size_t lastSent = 0;
    for (std::size_t round = 0; round < records + 3; ++round) {
        const std::size_t before = e.hp.service.requests.size();
        e.cycle->tick();
        lastSent = e.hp.service.requests.size() - before;
    }
    if (settleable(kv::platform::splitLines(orderLog, e.hp.files)))
        require(lastSent == 0, "once everything is acknowledged nothing more is sent");

    const auto journal = e.lines("Data/Active.log");
    require(static_cast<long>(journal.size()) == e.module.reportCounter, "the counter counts the journal lines");
    std::size_t matched = 0;
    for (const auto& url : e.hp.service.requests)
        if (matched < journal.size() && journal[matched] == "\"" + url + "\"") ++matched;
    require(matched == journal.size(), "Active.log holds sent requests, in the order they were sent");
    return 0;
}
