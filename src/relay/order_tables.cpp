#include "relay/order_tables.h"

#include <charconv>

#include "platform/text_file.h"
#include "relay/order_fields.h"

namespace kv {

OrderTables::OrderTables(const platform::Platform& platform, const FrmMainMdi& main, const ProsesWriteMO& module,
                         const TerminalSite& site, Notices& notices)
    : stateFiles(platform, notices), platform_(platform), main_(main), module_(module), site_(site) {}

void OrderTables::rebuildKnownOrders() {
    startupLoadPending_ = true;
    rebuildDue_ = true;
    forgetHeldBackLine();
}

// An unfinished last line must keep its deciding fields for one poll interval.
std::vector<std::string> OrderTables::orderLogLines(const std::string& bytes) {
    std::uint64_t interval = 1000;
    const std::string& text = main_.TimerInterval;
    std::from_chars(text.data(), text.data() + text.size(), interval);
    return orderLog_.take(bytes, platform_.text, platform_.clock.steadyMilliseconds(), interval);
}

bool OrderTables::ensureLoaded() {
    if (loaded_) return false;
    loaded_ = true;
    startLoad();
    return true;
}

void OrderTables::startLoad() {
    systemlist.clear();
    manuallist.clear();
    Closelist.clear();
    stateFiles.retryWaiting();
    startupLoadPending_ = true;
    forgetHeldBackLine();
    finishStartupLoad();
}

// Once per login date the orders that were already open before that date
// become the known orders, so the first cycles do not report them as new.
// The stamp is written last, so a rebuild that fails is tried again.
bool OrderTables::finishStartupLoad() {
    if (!startupLoadPending_) return true;
    const std::string loginDateText = std::to_string(module_.loginDate);
    std::string stampFile;
    platform::FileError error = stateFiles.read(site_.startupStampPath(platform_), stampFile);
    if (error != platform::FileError::None && error != platform::FileError::NotFound) return false;
    std::vector<std::string> stamp = platform::splitLines(stampFile, platform_.text);
    if (!stamp.empty() && stamp.back() == loginDateText && !rebuildDue_) {
        startupLoadPending_ = false;
        return true;
    }

    std::string orderLog;
    if (platform_.files.readAll(site_.systemOrderLogPath(), orderLog) != platform::FileError::None) return false;
    // A log caught while the expert writes it lacks the orders after the cut,
    // which would then be reported again as new: wait a cycle for the rest.
    const std::vector<std::string> lines = orderLogLines(orderLog);
    if (orderLog_.holdingBack()) return false;
    manuallist.clear();
    for (const std::string& text : lines) {
        if (isShortOrderLine(text)) continue;
        OrderLine line = splitOrderLine(text);
        if (line.stateMark == "O" && line.lineDate < loginDateText)
            manuallist.push_back(knownRecordOf(line));
    }
    stateFiles.save(site_.manualOrderLogPath(), manuallist);
    stateFiles.save(site_.closedJournalPath(platform_), {" "});
    stateFiles.saveAfterWaiting(site_.startupStampPath(platform_), {loginDateText});
    startupLoadPending_ = rebuildDue_ = false;
    return true;
}

}  // namespace kv
