#include "relay/poll_cycle.h"

#include "common/text_values.h"
#include "platform/text_file.h"
#include "relay/change_detection.h"
#include "relay/deciding_fields.h"
#include "relay/engine_files.h"
#include "relay/order_fields.h"
#include "relay/order_reporting.h"

namespace kv {

namespace {

using platform::FileError;

constexpr const char* kOrderLogMissing = "systemorder.log missing";

// A file another program holds open for a moment is tried once more.
template <class Read>
FileError withOneRetry(Read read) {
    FileError error = read();
    return error == FileError::None || error == FileError::NotFound ? error : read();
}

void keepLines(const std::optional<std::string>& bytes, std::vector<std::string>& table,
               bool (*keep)(const std::string&), platform::SystemText& system) {
    if (!bytes) return;
    for (std::string& line : platform::splitLines(*bytes, system))
        if (keep(line)) table.push_back(std::move(line));
}

bool isKnownRecordLine(const std::string& line) { return line.size() > 1; }
bool isJournalLine(const std::string& line) { return !trimSpaces(line).empty(); }

}  // namespace

PollCycle::PollCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmManual& manual,
                     Notices& notices, const ExpertPlacement& expert)
    : platform_(platform),
      main_(main),
      module_(module),
      manual_(manual),
      notices_(notices),
      activeLog_(platform, notices,
                 "The order was reported to the service; only its line in this journal is missing."),
      folders_(platform, main, manual),
      firstLog_(platform.files, main, expert) {}

void PollCycle::tick() {
    // A cycle waits on no box, so no tick should come inside one; if one does, it is dropped.
    if (running_) return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(running_);
    runCycle();
}

void PollCycle::runCycle() {
    if (!manual_.loaded()) quiet_.reset();  // its load empties the tables
    manual_.use();
    if (folders_.followOnceAMinute()) startAfresh();
    manual_.stateFiles.retryWaiting();
    const bool tablesReady = manual_.finishStartupLoad();
    CycleInputs inputs{main_.pathname1, {}, {}, {}};
    const bool complete = readOrderLogs(inputs);
    if (complete && tablesReady && stillQuiet(inputs)) {
        quiet_ = std::move(inputs);
        return;
    }
    quiet_.reset();
    leftPending_ = false;
    manual_.systemlist.clear();
    manual_.manuallist.clear();
    manual_.Closelist.clear();
    // A skipped cycle leaves the journal lines on disk for the next one.
    if (!complete || !tablesReady) return;

    fillTables(inputs);
    KnownOrders known(manual_.manuallist);
    takeOrderLines(inputs.orders, known);
    module_.pollState = 0;
    OrderReporter reporter(platform_, main_, module_, manual_, known, activeLog_);
    detectOrderEvents(manual_, known, reporter);
    module_.relayFacts.cycleReported();
    leftPending_ = reporter.outOfTime();
    bool unchanged = saveOrderTables(known, inputs);
    // A held-back line is looked at again, even in the very same bytes.
    if (unchanged && reporter.requestsSent() == 0 && !manual_.holdingBackOrderLine()) quiet_ = std::move(inputs);
}

// The same bytes, or new figures in the same orders, give the same nothing.
bool PollCycle::stillQuiet(const CycleInputs& inputs) const {
    return quiet_ && quiet_->folder == inputs.folder && quiet_->known == inputs.known &&
           quiet_->journal == inputs.journal &&
           (quiet_->orders == inputs.orders || sameDecidingFields(quiet_->orders, inputs.orders));
}

bool PollCycle::readOrderLogs(CycleInputs& inputs) {
    module_.pollState = 0;
    if (!readStateFile(manualOrderLogPath(main_), inputs.known) ||
        !readStateFile(closedJournalPath(platform_), inputs.journal))
        return false;
    if (!readOrderLog(inputs.orders)) {
        module_.pollState = 2;
        return false;
    }
    module_.pollState = 0;
    return true;
}

// A state file that exists but cannot be read ends the cycle: going on with
// an empty table would report every order again and overwrite the file.
bool PollCycle::readStateFile(const std::string& path, std::optional<std::string>& bytes) {
    std::string read;
    FileError error = withOneRetry([&] { return manual_.stateFiles.read(path, read); });
    if (error == FileError::None) bytes = std::move(read);
    return error == FileError::None || error == FileError::NotFound;
}

bool PollCycle::readOrderLog(std::string& bytes) {
    const std::string path = systemOrderLogPath(main_);
    FileError error = withOneRetry([&] {
        if (platform_.files.lookup(path).empty()) return FileError::NotFound;
        return platform_.files.readAll(path, bytes);
    });
    module_.relayFacts.orderLogMissing = error == FileError::NotFound;
    module_.relayFacts.expertNotStarted = false;
    // The expert may write elsewhere now; a move skips this cycle, the next reads the new folder.
    if (error == FileError::NotFound && folders_.followNow()) {
        startAfresh();
    } else if (error == FileError::NotFound) {
        tellMissingOrderLog();
    } else {
        notices_.withdraw(kOrderLogMissing);
        firstLog_.seen();
    }
    return error == FileError::None;
}

// Before the expert's first run the tray and the settings window say what to
// do; a box is kept for a log that was there and went.
void PollCycle::tellMissingOrderLog() {
    if (firstLog_.awaited()) {
        module_.relayFacts.expertNotStarted = true;
        notices_.withdraw(kOrderLogMissing);  // told of another folder
        return;
    }
    const std::string terminal = shortTerminalName(main_.terminal);
    notices_.raise(kOrderLogMissing, "File SystemOrder.log not found in " + main_.pathname1 +
                                         ". Drag KorvaneVantor onto one chart in " + terminal +
                                         " again, or choose the right " + terminal + " folder in Setting.");
}

void PollCycle::startAfresh() {
    quiet_.reset();
    manual_.forgetHeldBackLine();
}

void PollCycle::fillTables(const CycleInputs& inputs) {
    keepLines(inputs.known, manual_.manuallist, isKnownRecordLine, platform_.text);
    keepLines(inputs.journal, manual_.Closelist, isJournalLine, platform_.text);
}

void PollCycle::takeOrderLines(const std::string& bytes, const KnownOrders& known) {
    for (std::string& text : manual_.orderLogLines(bytes)) {
        if (isShortOrderLine(text)) continue;
        // A closed order the engine does not hold can raise no event. A line
        // without any "X" cannot be marked closed, so it needs no split here.
        if (text.find('X') != std::string::npos) {
            OrderLine line = splitOrderLine(text);
            if (line.stateMark == "X" && !known.find(line.orderNo)) continue;
        }
        manual_.systemlist.push_back(std::move(text));
    }
}

bool PollCycle::saveOrderTables(KnownOrders& known, const CycleInputs& inputs) {
    known.compact();
    auto asRead = [](const std::optional<std::string>& bytes) { return bytes ? &*bytes : nullptr; };
    StateFiles::Saved knownSaved =
        manual_.stateFiles.save(manualOrderLogPath(main_), manual_.manuallist, asRead(inputs.known));
    StateFiles::Saved journalSaved =
        manual_.stateFiles.save(closedJournalPath(platform_), manual_.Closelist, asRead(inputs.journal));
    manual_.Closelist.clear();
    return knownSaved == StateFiles::Saved::Unchanged && journalSaved == StateFiles::Saved::Unchanged;
}

}  // namespace kv
