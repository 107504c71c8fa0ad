#pragma once
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "relay/order_fields.h"
#include "service_ledger.h"
#include "simulated_expert.h"
#include "simulated_service.h"
#include "support/machine.h"

namespace soak {

using kv::platform::FileError;
using kvtest::FileStep;

struct SoakSettings {
    std::uint64_t seed = 20261205;
    long cycles = 3000;  // poll intervals in all
    double seconds = 0;  // stop early after this long (0: no limit)
};

struct SoakFigures {
    SoakSettings settings;
    double seconds = 0;
    bool stoppedByTime = false;
    long cycles = 0, cyclesOnWrites = 0, processes = 0, checkpoints = 0, logouts = 0, exits = 0;
    long loginsSameDate = 0, loginsNewDate = 0, rebuilds = 0, rebuildWaits = 0;
    long halfWrittenLogs = 0, halfWrittenAtLineEnd = 0;
    std::map<std::string, long> deaths;       // by where the program died
    std::map<std::string, long> fileFaults;   // by file, step and error
    std::map<std::string, long> replyFaults;  // by kind
    std::map<std::string, long> messages;     // boxes the trader saw, by kind
    long requests = 0, garbledRequests = 0, journalLines = 0, journalLinesLost = 0;
    bool journalExact = true;  // Active.log holds exactly the acknowledged requests
    ExpertEvents expert;
    LedgerFigures ledger;
    std::vector<std::string> faults;
    long faultCount = 0;
};

// Thousands of poll intervals of one trader's day after day on one machine:
// the expert trades and rewrites its log (now and then caught half-written),
// the service fails in every way it can, files fail, and the program dies and
// is started again at any point. Every so often everything is let settle and
// the books are checked.
class SoakRun {
public:
    explicit SoakRun(const SoakSettings& settings) : random_(settings.seed), expert_(random_), service_(expert_, ledger_) {
        figures_.settings = settings;
        machine_.hp.service.answer = [this](const std::string& url) { return service_.answer(url); };
        service_.nextFault = [this] { return chooseReplyFault(); };
        machine_.files.decide = [this](FileStep step, const std::string& path) { return onFileStep(step, path); };
    }

    SoakFigures run() {
        const auto started = std::chrono::steady_clock::now();
        auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
        publish(false);
        logInFreshProcess();
        long nextCheck = kCyclesBetweenChecks;
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
            if (machine_.running()) betweenCycles();
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

private:
    static constexpr long kCyclesBetweenChecks = 150;
    static constexpr int kCyclesToSettle = 15;
    // The program waits for an unfinished last line until its fields up to
    // the order type have stood for a poll interval.
    static constexpr std::uint64_t kPollIntervalMs = 1000;

    struct FileFault {
        const char* file;
        FileStep step;
        FileError error;
        bool firstTryOnly = false;  // the read that is tried once more succeeds
    };
    struct Death {
        const char* where;
        const char* file;
        FileStep step;
    };

    static std::string lowered(std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    static bool endsWithLineBreak(const std::string& text) {
        return !text.empty() && (text.back() == '\n' || text.back() == '\r');
    }
    static std::string decidingFields(const std::string& line) {
        std::size_t end = 0;
        for (int separator = 0; separator < 6 && end != std::string::npos; ++separator) {
            end = line.find(';', end);
            if (end != std::string::npos) ++end;
        }
        return end == std::string::npos ? line : line.substr(0, end);
    }
    // A known-order record of the soak's orders: number ; O or X ; stamp.
    static bool isRecord(const std::string& line) {
        const kv::KnownRecord r = kv::splitKnownRecord(line);
        return !r.knownOrderNo.empty() && (r.knownMark == "O" || r.knownMark == "X") && !r.knownStamp.empty() &&
               r.knownStamp.find(';') == std::string_view::npos;
    }

    std::string today() const {
        using namespace std::chrono;
        const year_month_day date{sys_days{year{2026} / December / 5} + days{day_}};
        char text[16];
        std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
        return text;
    }

    // ---- the program's life ----

    void logInFreshProcess() {
        while (!tryLogIn()) ledger_.ended();
    }

    // One process start and login, with the faults that can meet it. False
    // when the program died on the way.
    bool tryLogIn() {
        ++figures_.processes;
        told_.clear();
        const std::string date = today();
        machine_.hp.clock.current = {std::stoi(date.substr(0, 4)), std::stoi(date.substr(4, 2)),
                                     std::stoi(date.substr(6, 2)), 9, 30, 0};
        machine_.start();
        messagesRead_ = machine_.hp.messages.shown.size();
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
        service_.loginReply = std::string(kvtest::kLoginReply);
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
                service_.loginReply = std::string(kvtest::kLoginReply);
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
    void startupLoadReads(const std::string& log) {
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
    void checkRebuiltFile() {
        if (rebuiltToCheck_ && !stateWriteFailed_ && service_.taken == takenAtRebuild_) {
            const auto onDisk = recordsOnDisk();
            const std::string cycle = "cycle " + std::to_string(figures_.cycles);
            for (const auto& [no, state] : *rebuiltToCheck_)
                if (!onDisk.count(no) || onDisk.at(no) != state)
                    ledger_.fault(cycle + ": the start-up load did not take order " + no + " " + state + " as known");
            for (const auto& [no, state] : onDisk)
                if (!rebuiltToCheck_->count(no))
                    ledger_.fault(cycle + ": the start-up load took order " + no + " " + state +
                                  ", which was not open in the log before the login date");
        }
        rebuiltToCheck_.reset();
    }

    void pollOnce() {
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
    void betweenCycles() {
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
            service_.loginReply = std::string(kvtest::kLoginReply);
            if (!machine_.logIn()) ledger_.fault("logging in again did not start the relay");
            readMessages();
        }
    }

    // The program is gone: the expert trades on for a while (sometimes into the
    // next day), then the trader starts the program and logs in.
    void restart() {
        if (random_.chance(0.35)) ++day_;
        for (int steps = random_.between(0, 4); steps > 0; --steps) expert_.act(today());
        publish(false);
        logInFreshProcess();
    }

    // No more faults until the relay has nothing left to send; then the books
    // must agree with the log, and the expert's closed orders leave it.
    void settleAndCheck() {
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

    void planFaults() {
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
            // Never reached while the state files are replaced whole, as they must be.
            {"appending to manualorder.log", "manualorder.log", FileStep::Append},
            {"appending to TempClose.dat", "TempClose.dat", FileStep::Append},
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

    ReplyFault chooseReplyFault() {
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

    FileError onFileStep(FileStep step, const std::string& path) {
        const std::string name = lowered(path.substr(path.find_last_of("/\\") + 1));
        if (death_ && name == lowered(death_->file) && step == death_->step) {
            ++figures_.deaths[death_->where];
            death_.reset();
            if (name == "active.log") service_.journalAppended(false);
            throw kvtest::Killed{};
        }
        FileError error = FileError::None;
        if (streak_ && name == lowered(streak_->file) && step == streak_->step &&
            (!streak_->firstTryOnly || readsThisCycle_[name]++ == 0)) {
            error = streak_->error;
            ++figures_.fileFaults[std::string(streak_->file) + " " + kvtest::stepName(step) + ": " +
                                  kv::platform::describe(error) + (streak_->firstTryOnly ? " (first try only)" : "")];
            const bool stateFile = name == "manualorder.log" || name == "tempclose.dat" || name == "tempinit.dat";
            if (stateFile && step != FileStep::Read) {
                stateWriteFailed_ = true;
                if (loggingIn_) ledger_.stampUnsaved();  // the stamp waits for the tables
            }
        }
        if (step == FileStep::Read) {
            // The start-up load reads its stamp, then the order log.
            const bool logAfterStamp = stampJustRead_ && name == "systemorder.log";
            stampJustRead_ = rebuildAwaited_ && name == "tempinit.dat";
            if (logAfterStamp && error == FileError::None)
                startupLoadReads(machine_.read(machine_.orderFile("systemorder.log")));
        }
        if (name == "active.log" && step == FileStep::Append) service_.journalAppended(error == FileError::None);
        if (error == FileError::None && (step == FileStep::Replace || step == FileStep::Append)) told_[name] = false;
        return error;
    }

    // The expert rewrites its log; a reader may catch it half-way. The rest of
    // the write lands after the next poll.
    void publish(bool mayBeHalfWritten) {
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
    void finishPublishing() {
        if (halfWritten_) machine_.write(machine_.orderFile("systemorder.log"), fullLog_);
        halfWritten_ = false;
    }

    // Boxes since the last look: a file that cannot be written is told once,
    // and again only after it was written in between.
    void readMessages() {
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
    void checkJournal() {
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

    std::map<std::string, std::string> recordsOnDisk() {
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
    // its line break is still being written and is taken only when no field
    // of it is missing.
    std::map<std::string, std::string> rebuiltFrom(const std::string& log, const std::string& loginDate) {
        auto lines = kv::platform::splitLines(log, machine_.hp.files);
        if (!log.empty() && !endsWithLineBreak(log) &&
            (std::count(lines.back().begin(), lines.back().end(), ';') < 13 || lines.back().back() == ';'))
            lines.pop_back();
        std::map<std::string, std::string> known;
        for (const auto& text : lines) {
            if (kv::isShortOrderLine(text)) continue;
            const kv::OrderLine line = kv::splitOrderLine(text);
            if (line.stateMark == "O" && line.lineDate < loginDate)
                known[std::string(line.orderNo)] = std::string(line.orderState);
        }
        return known;
    }

    SoakFigures figures_;
    kvtest::Machine machine_;
    Random random_;
    SimulatedExpert expert_;
    ServiceLedger ledger_;
    SimulatedService service_;
    int day_ = 0;
    std::string lastLoginDate_;

    // The start-up rebuild of a new login date: due when a process finds an
    // old stamp, awaited until the program reads the log for it (and finds
    // it finished, or the same unfinished text twice).
    bool rebuildAwaited_ = false, stampJustRead_ = false;
    std::string unfinishedSeen_;  // its deciding fields
    std::uint64_t unfinishedSince_ = 0;
    std::optional<std::map<std::string, std::string>> rebuiltToCheck_;
    long takenAtRebuild_ = 0;

    // The faults of this poll interval or login.
    bool calm_ = false;  // settling: nothing fails
    bool loggingIn_ = false;
    std::optional<FileFault> streak_;
    int streakCycles_ = 0;
    std::optional<Death> death_;
    std::optional<ReplyFault> deathInReply_;
    int repliesBeforeDeath_ = 0, repliesThisCycle_ = 0;
    bool stateWriteFailed_ = false;
    std::map<std::string, int> readsThisCycle_;
    std::string fullLog_;
    bool halfWritten_ = false;

    // Boxes of this process: a file told about once until it is written.
    std::size_t messagesRead_ = 0;
    std::size_t journalChecked_ = 0;  // bytes of Active.log already compared
    std::map<std::string, bool> told_;
};

}  // namespace soak
