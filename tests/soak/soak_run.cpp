#include "soak_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/text_file.h"
#include "relay/order_fields.h"

namespace soak {

using kv::platform::FileError;
using kvtest::FileStep;
using kvtest::stepName;

namespace {

constexpr long kCyclesBetweenChecks = 150;
constexpr int kCyclesToSettle = 15;

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool endsWithLineBreak(const std::string& text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// The program waits for an unfinished last line until its fields up to the
// order type have stood for a poll interval; then it takes the line when no
// field of it is missing.
constexpr std::uint64_t kPollIntervalMs = 1000;

std::string decidingFields(const std::string& line) {
    std::size_t end = 0;
    for (int separator = 0; separator < 6 && end != std::string::npos; ++separator) {
        end = line.find(';', end);
        if (end != std::string::npos) ++end;
    }
    return end == std::string::npos ? line : line.substr(0, end);
}

bool hasAllFields(const std::string& line) {
    return std::count(line.begin(), line.end(), ';') >= 13 && line.back() != ';';
}

// A known-order record of the soak's orders: number ; O or X ; stamp.
bool isRecord(const std::string& line) {
    const kv::KnownRecord r = kv::splitKnownRecord(line);
    return !r.knownOrderNo.empty() && (r.knownMark == "O" || r.knownMark == "X") && !r.knownStamp.empty() &&
           r.knownStamp.find(';') == std::string_view::npos;
}

}  // namespace

SoakRun::SoakRun(const SoakSettings& settings)
    : random_(settings.seed), expert_(random_), service_(expert_, ledger_) {
    figures_.settings = settings;
    figures_.journalExact = true;
    machine_.hp.service.answer = [this](const std::string& url) { return service_.answer(url); };
    service_.nextFault = [this] { return chooseReplyFault(); };
    machine_.files.decide = [this](FileStep step, const std::string& path) { return onFileStep(step, path); };
}

std::string SoakRun::today() const {
    using namespace std::chrono;
    const year_month_day date{sys_days{year{2026} / December / 5} + days{day_}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

void SoakRun::setClock() {
    const std::string date = today();
    machine_.hp.clock.current = {std::stoi(date.substr(0, 4)), std::stoi(date.substr(4, 2)), std::stoi(date.substr(6, 2)),
                                 9, 30, 0};
}

SoakFigures SoakRun::run() {
    const auto started = std::chrono::steady_clock::now();
    publish(false);
    logInFreshProcess();
    long nextCheck = kCyclesBetweenChecks;
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
    while (figures_.cycles < figures_.settings.cycles) {
        if (figures_.cycles >= nextCheck) {
            settleAndCheck();
            nextCheck = figures_.cycles + kCyclesBetweenChecks;
            if (figures_.settings.seconds > 0 && elapsed() > figures_.settings.seconds) {
                figures_.stoppedByTime = true;
                break;
            }
        }
        expert_.act(today());
        publish(true);
        pollOnce();
        finishPublishing();
        if (machine_.running())
            betweenCycles();
        if (!machine_.running()) restart();
    }
    settleAndCheck();

    figures_.journalExact = figures_.journalExact && figures_.journalLines > 0;
    figures_.journalLinesLost = service_.journalLinesLost;
    figures_.requests = service_.requests;
    figures_.garbledRequests = service_.garbled;
    for (const auto& [kind, times] : service_.faultsInjected)
        if (!figures_.deaths.count(kind)) figures_.replyFaults[kind] = times;
    figures_.expert = expert_.events;
    figures_.ledger = ledger_.figures;
    figures_.faults = ledger_.faults;
    figures_.faultCount = ledger_.faultCount;
    figures_.seconds = elapsed();
    return figures_;
}

// ---- the program's life ----

void SoakRun::logInFreshProcess() {
    while (!tryLogIn()) ledger_.ended();
}

// One process start and login, with the faults that can meet it. False when
// the program died on the way.
bool SoakRun::tryLogIn() {
    ++figures_.processes;
    told_.clear();
    setClock();
    machine_.start();
    messagesRead_ = machine_.hp.messages.shown.size();
    const std::string date = today();
    const auto stamp = kv::platform::splitLines(machine_.read("Data/TempInit.dat"), machine_.hp.files);
    const bool rebuildDue = stamp.empty() || stamp.back() != date;
    rebuildAwaited_ = rebuildDue;
    unfinishedSeen_.clear();
    stampJustRead_ = false;

    publish(true);  // the expert may be writing its log just as the trader logs in
    streak_.reset();
    death_.reset();
    deathInReply_.reset();
    stateWriteFailed_ = false;
    service_.loginReply = std::string("7;12;Alpha");
    if (!calm_) {
        static const std::vector<Death> deaths{
            {"replacing TempSyst.dat at login", "TempSyst.dat", FileStep::Replace},
            {"replacing LoginChk.dat at login", "LoginChk.dat", FileStep::Replace},
            {"replacing TempInit.dat at the rebuild", "TempInit.dat", FileStep::Replace},
            {"replacing manualorder.log at the rebuild", "manualorder.log", FileStep::Replace},
            {"replacing TempClose.dat at the rebuild", "TempClose.dat", FileStep::Replace},
        };
        static const std::vector<FileFault> writeFaults{
            {"TempInit.dat", FileStep::Replace, FileError::DiskFull},
            {"manualorder.log", FileStep::Replace, FileError::Locked},
        };
        if (random_.chance(0.06)) death_ = random_.pick(deaths);
        if (random_.chance(0.05)) {
            streak_ = random_.pick(writeFaults);
            streakCycles_ = 2;
        }
        if (random_.chance(0.05)) {
            service_.loginReply.reset();
            ++figures_.replyFaults["no connection at login"];
        } else if (random_.chance(0.3)) {
            service_.loginReply = std::string("7;12;Alpha;13;Beta");
        }
    }
    bool relaying = false;
    loggingIn_ = true;
    const bool lived = machine_.survives([&] {
        relaying = machine_.logIn();
        if (!relaying) {  // no connection: the trader tries again
            service_.loginReply = std::string("7;12;Alpha");
            relaying = machine_.logIn();
        }
    });
    loggingIn_ = false;
    death_.reset();
    finishPublishing();
    readMessages();
    if (!lived) {
        rebuiltToCheck_.reset();
        return false;
    }
    if (!relaying) ledger_.fault("the login did not start the relay");
    checkRebuiltFile();

    ++(date == lastLoginDate_ ? figures_.loginsSameDate : figures_.loginsNewDate);
    lastLoginDate_ = date;
    // Without a rebuild the program goes on from its records; a rebuild
    // tells the books itself, when it reads the log.
    if (!rebuildDue) ledger_.loggedIn(recordsOnDisk(), false, expert_, date, {});
    return true;
}

// The start-up load read the order log for its rebuild. A log still being
// written is waited for once; otherwise the orders open in it before the
// login date become what the program knows.
void SoakRun::startupLoadReads(const std::string& log) {
    if (!log.empty() && !endsWithLineBreak(log)) {
        const std::string deciding = decidingFields(kv::platform::splitLines(log, machine_.hp.files).back());
        if (deciding != unfinishedSeen_) {
            unfinishedSeen_ = deciding;
            unfinishedSince_ = machine_.hp.clock.steady;
        }
        if (machine_.hp.clock.steady - unfinishedSince_ < kPollIntervalMs) {
            ++figures_.rebuildWaits;
            return;
        }
    }
    const std::string date = today();
    const std::map<std::string, std::string> known = rebuiltFrom(log, date);
    std::set<std::string> unseen;  // open before the date, but cut off a half-written log
    for (const ExpertOrder& o : expert_.orders())
        if (o.mark == 'O' && o.date < date && !known.count(o.no)) unseen.insert(o.no);
    ledger_.loggedIn(known, true, expert_, date, unseen);
    ++figures_.rebuilds;
    rebuildAwaited_ = false;
    rebuiltToCheck_ = known;
    takenAtRebuild_ = service_.taken;
}

// After the step in which the rebuild ran: manualorder.log is what it made,
// unless writing it failed (the program then works from what waits) or the
// same cycle went on to report events.
void SoakRun::checkRebuiltFile() {
    if (rebuiltToCheck_ && !stateWriteFailed_ && service_.taken == takenAtRebuild_) {
        const auto onDisk = recordsOnDisk();
        for (const auto& [no, state] : *rebuiltToCheck_)
            if (!onDisk.count(no) || onDisk.at(no) != state)
                ledger_.fault("cycle " + std::to_string(figures_.cycles) + ": the start-up load did not take order " +
                              no + " " + state + " as known");
        for (const auto& [no, state] : onDisk)
            if (!rebuiltToCheck_->count(no))
                ledger_.fault("cycle " + std::to_string(figures_.cycles) + ": the start-up load took order " + no +
                              " " + state + ", which was not open in the log before the login date");
    }
    rebuiltToCheck_.reset();
}

void SoakRun::pollOnce() {
    planFaults();
    stateWriteFailed_ = false;
    readsThisCycle_.clear();
    repliesThisCycle_ = 0;
    stampJustRead_ = false;
    // Half the cycles come from the expert's writes, milliseconds apart.
    const bool onWrite = random_.chance(0.5);
    if (onWrite) ++figures_.cyclesOnWrites;
    const bool lived = machine_.survives([&] { onWrite ? machine_.logWritten() : machine_.tick(); });
    ++figures_.cycles;
    readMessages();
    if (lived) {
        checkRebuiltFile();
        service_.cycleEnded();
        if (!stateWriteFailed_) ledger_.saved();
    } else {
        rebuiltToCheck_.reset();
        ledger_.ended();
    }
    death_.reset();
    deathInReply_.reset();
    if (streak_ && --streakCycles_ <= 0) streak_.reset();

    // Whatever happened, each state file is a whole version of itself.
    for (const std::string& file : {machine_.orderFile("manualorder.log"), std::string("Data/TempClose.dat")}) {
        const std::string bytes = machine_.read(file);
        if (!bytes.empty() && !bytes.ends_with("\r\n")) ledger_.fault(file + " is cut off");
        for (const auto& line : kv::platform::splitLines(bytes, machine_.hp.files))
            if (!isRecord(line) && line != " ") ledger_.fault(file + " holds a broken line: " + line);
    }
}

// What the trader or the machine does between two poll intervals, now and then.
void SoakRun::betweenCycles() {
    if (calm_) return;
    if (random_.chance(0.004)) {
        ++figures_.deaths["between two cycles"];
        machine_.kill();
        ledger_.ended();
    } else if (random_.chance(0.002)) {
        ++figures_.exits;
        machine_.exitProgram();
        ledger_.ended();
    } else if (random_.chance(0.003)) {
        ++figures_.logouts;
        machine_.pick("mnulvSo");
        service_.loginReply = std::string("7;12;Alpha");
        if (!machine_.logIn()) ledger_.fault("logging in again did not start the relay");
        readMessages();
    }
}

// The program is gone: the expert trades on for a while (sometimes into the
// next day), then the trader starts the program and logs in.
void SoakRun::restart() {
    if (random_.chance(0.35)) ++day_;
    for (int steps = random_.between(0, 4); steps > 0; --steps) expert_.act(today());
    publish(false);
    logInFreshProcess();
}

// No more faults until the relay has nothing left to send; then the books
// must agree with the log, and the expert's closed orders leave it.
void SoakRun::settleAndCheck() {
    calm_ = true;
    streak_.reset();
    publish(false);
    bool quiet = false;
    for (int cycle = 0; cycle < kCyclesToSettle && !quiet; ++cycle) {
        const long before = service_.requests;
        pollOnce();
        quiet = service_.requests == before;
    }
    if (!quiet) ledger_.fault("the relay does not settle");
    ledger_.checkpoint(expert_, recordsOnDisk());
    checkJournal();
    machine_.hp.service.requests.clear();  // the service keeps its own books
    expert_.dropClosed();
    ledger_.forgetGone(expert_);
    publish(false);
    ++figures_.checkpoints;
    calm_ = false;
}

// ---- faults ----

void SoakRun::planFaults() {
    death_.reset();
    deathInReply_.reset();
    if (calm_) return;
    static const std::vector<Death> deaths{
        {"reading systemorder.log", "systemorder.log", FileStep::Read},
        {"reading manualorder.log", "manualorder.log", FileStep::Read},
        {"reading TempClose.dat", "TempClose.dat", FileStep::Read},
        {"replacing manualorder.log", "manualorder.log", FileStep::Replace},
        {"replacing TempClose.dat", "TempClose.dat", FileStep::Replace},
        {"appending to Active.log", "Active.log", FileStep::Append},
    };
    static const std::vector<FileFault> streaks{
        {"systemorder.log", FileStep::Read, FileError::Locked, true},
        {"systemorder.log", FileStep::Read, FileError::Locked},
        {"systemorder.log", FileStep::Read, FileError::AccessDenied},
        {"manualorder.log", FileStep::Read, FileError::Locked},
        {"TempClose.dat", FileStep::Read, FileError::AccessDenied},
        {"manualorder.log", FileStep::Replace, FileError::DiskFull},
        {"manualorder.log", FileStep::Replace, FileError::Locked},
        {"TempClose.dat", FileStep::Replace, FileError::DiskFull},
        {"TempClose.dat", FileStep::Replace, FileError::AccessDenied},
        {"Active.log", FileStep::Append, FileError::DiskFull},
    };
    if (random_.chance(0.012)) {
        if (random_.chance(0.4)) {
            deathInReply_ = random_.chance(0.5) ? ReplyFault::DeathBeforeReply : ReplyFault::DeathAfterReply;
            repliesBeforeDeath_ = random_.below(3);
        } else {
            death_ = random_.pick(deaths);
        }
    }
    if (!streak_ && random_.chance(0.05)) {
        streak_ = random_.pick(streaks);
        streakCycles_ = random_.between(1, 4);
    }
}

ReplyFault SoakRun::chooseReplyFault() {
    if (calm_) return ReplyFault::None;
    if (deathInReply_ && repliesThisCycle_++ == repliesBeforeDeath_) {
        const ReplyFault death = *deathInReply_;
        deathInReply_.reset();
        ++figures_.deaths[faultName(death)];
        return death;
    }
    static const std::vector<ReplyFault> faults{ReplyFault::TimeOut,      ReplyFault::Refused,
                                                ReplyFault::ErrorPage,    ReplyFault::EmptyReply,
                                                ReplyFault::AnotherOrder, ReplyFault::AnotherState,
                                                ReplyFault::OneCharacterShort};
    return random_.chance(0.1) ? random_.pick(faults) : ReplyFault::None;
}

FileError SoakRun::onFileStep(FileStep step, const std::string& path) {
    const std::string name = path.substr(path.find_last_of("/\\") + 1);
    if (death_ && sameName(name, death_->file) && step == death_->step) {
        ++figures_.deaths[death_->where];
        death_.reset();
        if (sameName(name, "Active.log")) service_.journalAppended(false);
        throw kvtest::Killed{};
    }
    FileError error = FileError::None;
    if (streak_ && sameName(name, streak_->file) && step == streak_->step &&
        (!streak_->firstTryOnly || readsThisCycle_[lowered(name)]++ == 0)) {
        error = streak_->error;
        ++figures_.fileFaults[std::string(streak_->file) + " " + stepName(step) + ": " + kv::platform::describe(error) +
                              (streak_->firstTryOnly ? " (first try only)" : "")];
        const bool stateFile = sameName(name, "manualorder.log") || sameName(name, "TempClose.dat") ||
                               sameName(name, "TempInit.dat");
        if (stateFile && step != FileStep::Read) {
            stateWriteFailed_ = true;
            if (loggingIn_) ledger_.stampUnsaved();  // the stamp waits for the tables
        }
    }
    if (step == FileStep::Read) {
        // The start-up load reads its stamp, then the order log.
        const bool logAfterStamp = stampJustRead_ && sameName(name, "systemorder.log");
        stampJustRead_ = rebuildAwaited_ && sameName(name, "TempInit.dat");
        if (logAfterStamp && error == FileError::None) startupLoadReads(machine_.read(machine_.orderFile("systemorder.log")));
    }
    if (sameName(name, "Active.log") && step == FileStep::Append) service_.journalAppended(error == FileError::None);
    if (error == FileError::None && (step == FileStep::Replace || step == FileStep::Append)) told_[lowered(name)] = false;
    return error;
}

// The expert rewrites its log; a reader may catch it half-way. The rest of
// the write lands after the next poll.
void SoakRun::publish(bool mayBeHalfWritten) {
    fullLog_ = expert_.content();
    halfWritten_ = mayBeHalfWritten && !calm_ && !fullLog_.empty() && random_.chance(0.06);
    std::string onDisk = fullLog_;
    if (halfWritten_) {
        onDisk.resize(static_cast<std::size_t>(random_.below(static_cast<int>(fullLog_.size()))));
        ++figures_.halfWrittenLogs;
        if (onDisk.empty() || endsWithLineBreak(onDisk)) ++figures_.halfWrittenAtLineEnd;
    }
    machine_.write(machine_.orderFile("systemorder.log"), onDisk);
}

void SoakRun::finishPublishing() {
    if (halfWritten_) machine_.write(machine_.orderFile("systemorder.log"), fullLog_);
    halfWritten_ = false;
}

// Boxes since the last look: a file that cannot be written is told once,
// and again only after it was written in between.
void SoakRun::readMessages() {
    const auto& shown = machine_.hp.messages.shown;
    for (; messagesRead_ < shown.size(); ++messagesRead_) {
        const std::string& text = shown[messagesRead_].text;
        const std::string prefix = "Could not write the file ";
        if (text.starts_with(prefix)) {
            const std::string path = text.substr(prefix.size(), text.find(": ", prefix.size()) - prefix.size());
            const std::string name = path.substr(path.rfind('\\') + 1);
            ++figures_.messages["could not write " + name];
            if (told_[lowered(name)]) ledger_.fault("told twice about " + name + " while it could not be written");
            told_[lowered(name)] = true;
        } else if (text.starts_with("Could not reach the Korvane - Vantor service")) {
            ++figures_.messages["no connection at login"];
        } else {
            ++figures_.messages["unexpected: " + text];
            ledger_.fault("unexpected message: " + text);
        }
    }
}

// What Active.log gained since the last check must be exactly the requests
// acknowledged since then, line for line.
void SoakRun::checkJournal() {
    std::ifstream file(machine_.hp.dataFile("Active.log"), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(journalChecked_));
    const std::string added{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    journalChecked_ += added.size();
    const auto lines = kv::platform::splitLines(added, machine_.hp.files);
    const auto expected = service_.takeExpectedJournal();
    figures_.journalLines += static_cast<long>(lines.size());
    if (lines == expected) return;
    figures_.journalExact = false;
    std::size_t same = 0;
    while (same < lines.size() && same < expected.size() && lines[same] == expected[same]) ++same;
    ledger_.fault("Active.log: " + (same < lines.size() ? "line " + lines[same] : std::string("a line missing")) +
                  " where " + (same < expected.size() ? expected[same] : std::string("none")) + " was acknowledged");
}

std::map<std::string, std::string> SoakRun::recordsOnDisk() {
    std::map<std::string, std::string> records;
    for (const auto& line : kv::platform::splitLines(machine_.known(), machine_.hp.files)) {
        const kv::KnownRecord r = kv::splitKnownRecord(line);
        const std::string no(r.knownOrderNo);
        if (!records.emplace(no, std::string(r.knownMark) + std::string(r.knownStamp)).second)
            ledger_.fault("manualorder.log holds order " + no + " twice");
    }
    return records;
}

// What the start-up load must make of this log: the orders open in it and
// dated before the login date, with their state now. A last line without
// its line break is still being written and is not taken.
std::map<std::string, std::string> SoakRun::rebuiltFrom(const std::string& log, const std::string& loginDate) {
    auto lines = kv::platform::splitLines(log, machine_.hp.files);
    if (!log.empty() && !endsWithLineBreak(log) && !hasAllFields(lines.back())) lines.pop_back();
    std::map<std::string, std::string> known;
    for (const auto& text : lines) {
        if (kv::isShortOrderLine(text)) continue;
        const kv::OrderLine line = kv::splitOrderLine(text);
        if (line.stateMark == "O" && line.lineDate < loginDate) known[std::string(line.orderNo)] = std::string(line.orderState);
    }
    return known;
}

}  // namespace soak
