#include "relay/terminal_cycle.h"

#include <algorithm>

#include "common/text_values.h"
#include "platform/text_file.h"
#include "relay/change_detection.h"
#include "relay/deciding_fields.h"
#include "relay/order_fields.h"
#include "relay/order_reporting.h"
#include "relay/relayed_terminals.h"
#include "relay/shared_account.h"

namespace kv {

namespace {

using platform::FileError;

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

// The account the log's first whole line shows (its third field).
std::string accountOf(const std::string& orders) {
    const auto end = orders.find_first_of("\r\n");
    if (end == std::string::npos) return {};
    const std::string first = orders.substr(0, end);
    const auto a = first.find(';');
    const auto b = a == std::string::npos ? a : first.find(';', a + 1);
    const auto c = b == std::string::npos ? b : first.find(';', b + 1);
    return c == std::string::npos ? std::string() : first.substr(b + 1, c - b - 1);
}

}  // namespace

TerminalCycle::TerminalCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                             TerminalSite& site, OrderTables& tables, Notices& notices, const ExpertPlacement& expert,
                             FileWriter& activeLog)
    : platform_(platform),
      main_(main),
      module_(module),
      site_(site),
      tables_(tables),
      notices_(notices),
      activeLog_(activeLog),
      folders_(platform, site, tables),
      firstLog_(platform.files, site, expert) {}

TerminalFacts& TerminalCycle::facts() const {
    TerminalFacts& facts = module_.relayFacts.terminals[site_.key()];
    facts.label = site_.label();
    return facts;
}

bool TerminalCycle::relaying() const { return facts().relaying(); }

void TerminalCycle::run(std::uint64_t deadline, const RelayedTerminals& terminals) {
    if (tables_.ensureLoaded()) quiet_.reset();  // its load empties the tables
    if (folders_.followOnceAMinute()) startAfresh();
    tables_.stateFiles.retryWaiting();
    const bool tablesReady = tables_.finishStartupLoad();
    CycleInputs inputs{site_.filesFolder(), {}, {}, {}};
    const bool complete = readOrderLogs(inputs) && mayReport(inputs.orders, terminals);
    if (!complete) relayedAccount_.clear();  // relaying again, it looks for a newer record first
    if (complete && tablesReady && stillQuiet(inputs)) {
        quiet_ = std::move(inputs);
        return;
    }
    quiet_.reset();
    leftPending_ = false;
    tables_.systemlist.clear();
    tables_.manuallist.clear();
    tables_.Closelist.clear();
    // A skipped cycle leaves the journal lines on disk for the next one.
    if (!complete || !tablesReady) return;

    fillTables(inputs);
    KnownOrders known(tables_.manuallist);
    takeOrderLines(inputs.orders, known);
    module_.pollState = 0;
    OrderReporter reporter(platform_, main_, module_, site_, tables_, known, activeLog_, deadline);
    detectOrderEvents(tables_, known, reporter);
    facts().cycleReported();
    if (reporter.requestsSent() == 0) module_.relayFacts.cycleSentNothing();
    leftPending_ = reporter.outOfTime();
    bool unchanged = saveOrderTables(known, inputs);
    // A held-back line is looked at again, even in the very same bytes.
    if (unchanged && reporter.requestsSent() == 0 && !tables_.holdingBackOrderLine()) quiet_ = std::move(inputs);
}

// The same bytes, or new figures in the same orders, give the same nothing.
bool TerminalCycle::stillQuiet(const CycleInputs& inputs) const {
    return quiet_ && quiet_->folder == inputs.folder && quiet_->known == inputs.known &&
           quiet_->journal == inputs.journal &&
           (quiet_->orders == inputs.orders || sameDecidingFields(quiet_->orders, inputs.orders));
}

bool TerminalCycle::readOrderLogs(CycleInputs& inputs) {
    module_.pollState = 0;
    if (!readStateFile(site_.manualOrderLogPath(), inputs.known) ||
        !readStateFile(site_.closedJournalPath(platform_), inputs.journal))
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
bool TerminalCycle::readStateFile(const std::string& path, std::optional<std::string>& bytes) {
    std::string read;
    FileError error = withOneRetry([&] { return tables_.stateFiles.read(path, read); });
    if (error == FileError::None) bytes = std::move(read);
    return error == FileError::None || error == FileError::NotFound;
}

bool TerminalCycle::readOrderLog(std::string& bytes) {
    const std::string path = site_.systemOrderLogPath();
    FileError error = withOneRetry([&] { return platform_.files.readAll(path, bytes); });
    looked_ = true;
    const std::size_t hash = std::hash<std::string>{}(bytes);
    if (error == FileError::None && (hash != logHash_ || lastLogChange_ == 0)) {
        logHash_ = hash;
        lastLogChange_ = platform_.clock.steadyMilliseconds();
    }
    TerminalFacts& f = facts();
    f.orderLogMissing = error == FileError::NotFound;
    f.expertNotStarted = false;
    // The expert may write elsewhere now; a move skips this cycle, the next reads the new folder.
    if (error == FileError::NotFound && folders_.followNow()) {
        startAfresh();
    } else if (error == FileError::NotFound) {
        tellMissingOrderLog();
    } else {
        tell("systemorder.log missing", false, "");
        firstLog_.seen();
    }
    return error == FileError::None;
}

// Before the expert's first run the tray and the settings window say what to
// do; a box is kept for a log that was there and went.
void TerminalCycle::tellMissingOrderLog() {
    if (firstLog_.awaited()) {
        facts().expertNotStarted = true;
        tell("systemorder.log missing", false, "");  // told of another folder
        return;
    }
    const std::string terminal = shortTerminalName(site_.kind());
    tell("systemorder.log missing", true,
         named("File SystemOrder.log not found in " + site_.filesFolder() + ". Drag KorvaneVantor onto one chart in " +
               terminal + " again, or choose the right " + terminal + " folder in Setting."));
}

bool TerminalCycle::mayReport(const std::string& orders, const RelayedTerminals& terminals) {
    TerminalFacts& f = facts();
    const auto& listed = module_.listedSystems;
    f.systemGone = !site_.first() && !listed.empty() && std::find(listed.begin(), listed.end(), site_.systemId()) == listed.end();
    tell("trade system gone", f.systemGone,
         named("Its orders go to trade system " + site_.systemId() +
               ", which this login does not list. They wait until you choose another for it in Terminals."));
    if (f.systemGone) return false;

    f.account = accountOf(orders);
    const TerminalCycle* holder =
        f.account.empty() ? nullptr : accountHolder(terminals, *this, platform_.clock.steadyMilliseconds());
    f.relayedThrough = holder ? holder->site().label() : "";
    if (holder) rememberHolder(holder->site().filesFolder(), holder->site().key());
    tell("same account", holder != nullptr,
         named("It shows account " + f.account + ", as " + f.relayedThrough + " does, and both go to trade system " +
               site_.systemId() + ": the account's orders are reported once, through " + f.relayedThrough + "."));
    if (holder) return false;
    // What was taken up is read by the next cycle.
    if (f.account != relayedAccount_ && takeNewestRecord(terminals)) return false;
    relayedAccount_ = f.account;
    return true;
}

bool TerminalCycle::takeNewestRecord(const RelayedTerminals& terminals) {
    auto writtenAt = [&](const std::string& path) { return platform_.files.lastWriteTime(path); };
    auto newest = writtenAt(site_.manualOrderLogPath());
    std::string known, journal;
    bool taken = false;
    auto take = [&](const std::string& knownPath, const auto& read) {
        const auto at = writtenAt(knownPath);
        if (!at || (newest && *at <= *newest)) return;
        std::string k, j;
        if (!read(k, j)) return;
        newest = at;
        known = std::move(k);
        journal = std::move(j);
        taken = true;
    };
    for (const TerminalCycle* other : sharingAccount(terminals, *this))
        take(other->site().manualOrderLogPath(),
             [other](std::string& k, std::string& j) { return other->readRecord(k, j); });
    if (lastHolder_) {
        const RecordPaths paths = *lastHolder_;
        take(paths.known, [&](std::string& k, std::string& j) {
            const FileError journalRead = platform_.files.readAll(paths.journal, j);
            return platform_.files.readAll(paths.known, k) == FileError::None &&
                   (journalRead == FileError::None || journalRead == FileError::NotFound);
        });
    }
    lastHolder_.reset();
    if (!taken) return false;
    tables_.stateFiles.save(site_.manualOrderLogPath(), platform::splitLines(known, platform_.text));
    std::vector<std::string> journalLines = platform::splitLines(journal, platform_.text);
    if (journalLines.empty()) journalLines.push_back(" ");
    tables_.stateFiles.save(site_.closedJournalPath(platform_), journalLines);
    tables_.forgetHeldBackLine();
    return true;
}

void TerminalCycle::rememberHolder(const std::string& filesFolder, const std::string& key) {
    lastHolder_ = RecordPaths{knownOrdersIn(filesFolder), closedJournalOf(platform_, key)};
}

bool TerminalCycle::readRecord(std::string& known, std::string& journal) const {
    const FileError journalRead = tables_.stateFiles.read(site_.closedJournalPath(platform_), journal);
    return tables_.stateFiles.read(site_.manualOrderLogPath(), known) == FileError::None &&
           (journalRead == FileError::None || journalRead == FileError::NotFound);
}

std::string TerminalCycle::accountShown() const {
    if (looked_) return facts().account;
    std::string orders;
    return platform_.files.readAll(site_.systemOrderLogPath(), orders) == FileError::None ? accountOf(orders)
                                                                                          : std::string();
}

void TerminalCycle::tell(const std::string& fault, bool lasting, const std::string& text) {
    const std::string key = site_.first() ? fault : fault + " " + site_.key();
    lasting ? notices_.raise(key, text) : notices_.withdraw(key);
}

std::string TerminalCycle::named(const std::string& text) const {
    return main_.otherTerminals.empty() ? text : site_.label() + " (" + site_.folder() + "): " + text;
}

void TerminalCycle::startAfresh() {
    quiet_.reset();
    tables_.forgetHeldBackLine();
}

void TerminalCycle::fillTables(const CycleInputs& inputs) {
    keepLines(inputs.known, tables_.manuallist, isKnownRecordLine, platform_.text);
    keepLines(inputs.journal, tables_.Closelist, isJournalLine, platform_.text);
}

void TerminalCycle::takeOrderLines(const std::string& bytes, const KnownOrders& known) {
    for (std::string& text : tables_.orderLogLines(bytes)) {
        if (isShortOrderLine(text)) continue;
        // A closed order the engine does not hold can raise no event. A line
        // without any "X" cannot be marked closed, so it needs no split here.
        if (text.find('X') != std::string::npos) {
            OrderLine line = splitOrderLine(text);
            if (line.stateMark == "X" && !known.find(line.orderNo)) continue;
        }
        tables_.systemlist.push_back(std::move(text));
    }
}

bool TerminalCycle::saveOrderTables(KnownOrders& known, const CycleInputs& inputs) {
    known.compact();
    auto asRead = [](const std::optional<std::string>& bytes) { return bytes ? &*bytes : nullptr; };
    StateFiles::Saved knownSaved =
        tables_.stateFiles.save(site_.manualOrderLogPath(), tables_.manuallist, asRead(inputs.known));
    StateFiles::Saved journalSaved =
        tables_.stateFiles.save(site_.closedJournalPath(platform_), tables_.Closelist, asRead(inputs.journal));
    tables_.Closelist.clear();
    return knownSaved == StateFiles::Saved::Unchanged && journalSaved == StateFiles::Saved::Unchanged;
}

}  // namespace kv
