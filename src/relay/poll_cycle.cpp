#include "relay/poll_cycle.h"

#include "platform/text_file.h"
#include "relay/change_detection.h"
#include "relay/engine_files.h"
#include "relay/order_fields.h"
#include "relay/order_reporting.h"

namespace kv {

namespace {

bool isKnownRecordLine(const std::string& line) { return line.size() > 1; }
bool isJournalLine(const std::string& line) { return !trimSpaces(line).empty(); }

// A file another program holds open for a moment is tried once more.
template <class Read>
platform::FileError withOneRetry(Read read) {
    platform::FileError error = read();
    return error == platform::FileError::None ? error : read();
}

}  // namespace

PollCycle::PollCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmManual& manual)
    : platform_(platform),
      main_(main),
      module_(module),
      manual_(manual),
      activeLog_(platform, FileWriter::Repeat::OncePerFault,
                 "The order was reported to the service; only its line in this journal is missing.") {}

void PollCycle::tick() {
    // Message boxes run their own message loop, in which the timer still ticks.
    if (running_) return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(running_);
    runCycle();
}

void PollCycle::runCycle() {
    manual_.use();
    manual_.stateFiles.begin();
    const bool tablesReady = manual_.finishStartupLoad();
    manual_.systemlist.clear();
    manual_.manuallist.clear();
    std::optional<KnownOrders> known = readOrderLogs();
    if (!known || !tablesReady) {
        // The journal lines stay on disk; the next cycle reads them again.
        manual_.Closelist.clear();
        return;
    }
    module_.pollState = 0;
    OrderReporter reporter(platform_, main_, module_, manual_, *known, activeLog_);
    detectOrderEvents(manual_, *known, reporter);
    saveOrderTables(platform_, main_, manual_, *known);
}

std::optional<KnownOrders> PollCycle::readOrderLogs() {
    module_.pollState = 0;
    if (!readStateTable(manualOrderLogPath(main_), manual_.manuallist, isKnownRecordLine) ||
        !readStateTable(closedJournalPath(platform_), manual_.Closelist, isJournalLine))
        return std::nullopt;
    KnownOrders known(manual_.manuallist);
    if (!readSystemOrders(known)) {
        module_.pollState = 2;
        return std::nullopt;
    }
    module_.pollState = 0;
    return known;
}

// A state file that exists but cannot be read ends the cycle: going on with
// an empty table would report every order again and overwrite the file.
bool PollCycle::readStateTable(const std::string& path, std::vector<std::string>& table,
                               bool (*keep)(const std::string&)) {
    std::vector<std::string> lines;
    if (withOneRetry([&] { return manual_.stateFiles.read(path, lines); }) != platform::FileError::None) return false;
    for (std::string& line : lines)
        if (keep(line)) table.push_back(std::move(line));
    return true;
}

bool PollCycle::readSystemOrders(const KnownOrders& known) {
    const std::string path = systemOrderLogPath(main_);
    std::string bytes;
    platform::FileError error = withOneRetry([&] {
        if (platform_.files.lookup(path).empty()) return platform::FileError::NotFound;
        return platform_.files.readAll(path, bytes);
    });
    if (error == platform::FileError::NotFound) {
        platform_.messages.show("File SystemOrder.log not found ", platform::MessageIcon::Error);
        return false;
    }
    if (error != platform::FileError::None) return false;
    for (std::string& text : platform::splitLines(bytes, platform_.files)) {
        if (isShortOrderLine(text)) continue;
        OrderLine line = splitOrderLine(text);
        // A closed order the engine does not hold can raise no event.
        if (line.stateMark == "X" && !known.find(line.orderNo)) continue;
        manual_.systemlist.push_back(std::move(text));
    }
    return true;
}

}  // namespace kv
