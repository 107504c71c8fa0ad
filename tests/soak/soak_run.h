#pragma once
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "service.h"
#include "support/machine.h"

namespace soak {

using kv::platform::FileError;
using kvtest::FileStep;

// Faults that last a few steps: a file step that fails.
struct FileFault {
    const char* file;
    FileStep step;
    FileError error;
    bool firstTryOnly = false;  // the read tried once more succeeds
};
inline const std::vector<FileFault> kFileFaults{
    {"systemorder.log", FileStep::Read, FileError::Locked, true},
    {"systemorder.log", FileStep::Read, FileError::Locked},
    {"systemorder.log", FileStep::Read, FileError::AccessDenied},
    {"manualorder.log", FileStep::Read, FileError::Locked},
    {"TempClose.dat", FileStep::Read, FileError::AccessDenied},
    {"TempInit.dat", FileStep::Read, FileError::Locked},
    {"manualorder.log", FileStep::Replace, FileError::DiskFull},
    {"manualorder.log", FileStep::Replace, FileError::Locked},
    {"TempClose.dat", FileStep::Replace, FileError::DiskFull},
    {"TempClose.dat", FileStep::Replace, FileError::AccessDenied},
    {"TempInit.dat", FileStep::Replace, FileError::DiskFull},
    {"Active.log", FileStep::Append, FileError::DiskFull},
};

// Thousands of poll intervals of one trader's days on one machine: the
// expert trades and rewrites its log (now and then caught half-written), the
// service fails in every way it can, files fail, and the program dies at any
// file step or request and is started again, on the same date or a new one.
// Every 150 cycles all faults stop until the relay settles, and the books
// are checked.
class SoakRun {
public:
    SoakRun(std::uint64_t seed, long cycles, double seconds = 0)
        : cycles_(cycles), seconds_(seconds), random_(seed), expert_(random_, tally_), service_(expert_, books_) {
        machine_.hp.service.answer = [this](const std::string& url) { return service_.answer(url); };
        service_.nextFault = [this] { return replyFault(); };
        machine_.files.decide = [this](FileStep step, const std::string& path) { return onFileStep(step, path); };
    }

    Books run() {
        const auto started = std::chrono::steady_clock::now();
        auto elapsed = [&] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        };
        logIn();
        for (long nextCheck = 150; tally_["cycles"] < cycles_;) {
            if (tally_["cycles"] >= nextCheck) {
                settleAndCheck();
                nextCheck = tally_["cycles"] + 150;
                if (seconds_ > 0 && elapsed() > seconds_) break;
            }
            expert_.act(today());
            cycle();
            betweenCycles();
            if (!machine_.running()) restart();
        }
        settleAndCheck();
        books_.seconds = elapsed();
        return books_;
    }

private:
    // A process starts and the trader logs in, until one lives through it.
    void logIn() {
        for (bool lived = false; !lived;) {
            ++tally_["program starts"];
            machine_.hp.clock.current = date();
            machine_.start();
            messagesRead_ = machine_.hp.messages.shown.size();
            told_.clear();
            const auto stamp = kv::platform::splitLines(machine_.read("Data/TempInit.dat"), machine_.hp.text);
            const bool rebuildDue = rebuildAwaited_ = stamp.empty() || stamp.back() != today();
            service_.loginReply = random_.chance(0.3) ? "7;12;Alpha;13;Beta" : kvtest::kLoginReply;
            if (random_.chance(0.05)) {
                service_.loginReply.reset();
                ++tally_["reply fault: no connection at login"];
            }
            bool relaying = false;
            lived = step(0.01, [&] {
                relaying = machine_.logIn();
                if (!relaying) service_.loginReply = kvtest::kLoginReply;  // no connection: the trader tries again
                relaying = relaying || machine_.logIn();
            });
            if (lived && !relaying) books_.fault("the login did not start the relay");
            if (lived && !rebuildDue) service_.loggedIn(recordsOnDisk(), false);
        }
    }

    // One poll interval, started by the timer or, milliseconds apart, by the expert's write.
    void cycle() {
        const bool onWrite = random_.chance(0.5);
        const bool lived = step(0.0015, [&] { onWrite ? machine_.logWritten() : machine_.tick(); });
        ++tally_["cycles"];
        if (lived && !stateWriteFailed_) service_.saved();
        // Whatever happened, each state file is a whole version of itself.
        for (const std::string& file : {machine_.orderFile("manualorder.log"), std::string("Data/TempClose.dat")}) {
            const std::string bytes = machine_.read(file);
            if (!bytes.empty() && !bytes.ends_with("\r\n")) books_.fault(file + " is cut off");
            for (const auto& line : kv::platform::splitLines(bytes, machine_.hp.text))
                if (line != " " && !std::regex_match(line, kRecord))
                    books_.fault(file + " holds a broken line: " + line);
        }
    }

    // A step of the trader or the timer, in which the program may die at any
    // file step (with `deathChance` each) or request, and may find the log
    // half-written by the expert. False when the program died.
    bool step(double deathChance, const std::function<void()>& what) {
        std::string log = expert_.content();
        const bool cut = !calm_ && !log.empty() && random_.chance(0.06);
        if (cut) {
            log.resize(static_cast<std::size_t>(random_.below(static_cast<int>(log.size()))));
            const bool atLineEnd = log.empty() || log.ends_with('\n') || log.ends_with('\r');
            ++tally_[atLineEnd ? "logs caught cut at a line end" : "logs caught cut in a line"];
        }
        machine_.write(machine_.orderFile("systemorder.log"), log);
        // A stamp the program holds in memory would hide the read that starts the startup load.
        if (rebuildAwaited_ && machine_.exists("Data/TempInit.dat"))
            machine_.hp.setWriteTime("Data/TempInit.dat", std::chrono::system_clock::time_point(
                                                              std::chrono::seconds(++stampTimesMoved_)));
        if (!streak_ && !calm_ && random_.chance(0.05)) {
            streak_ = random_.pick(kFileFaults);
            streakSteps_ = random_.between(1, 4);
        }
        triedOnce_.clear();
        deathChance_ = calm_ ? 0 : deathChance;
        stateWriteFailed_ = false;
        const bool lived = machine_.survives(what);
        deathChance_ = 0;
        if (cut) publish();  // the rest of the write lands
        if (streak_ && --streakSteps_ <= 0) streak_.reset();
        readMessages();
        if (!lived) service_.ended();
        // The rebuild's tables are on disk unless writing failed or the same step reported events.
        if (lived && rebuilt_ && !stateWriteFailed_ && service_.taken == takenAtRebuild_ &&
            recordsOnDisk() != *rebuilt_)
            books_.fault("the start-up rebuild did not make the open orders dated before " + today() + " known");
        rebuilt_.reset();
        return lived;
    }

    // What the trader or the machine does between two poll intervals, now and then.
    void betweenCycles() {
        const int roll = machine_.running() ? random_.below(1000) : 1000;
        if (roll < 6) {
            ++tally_[roll < 4 ? "death: between two cycles" : "Exit"];
            roll < 4 ? machine_.kill() : machine_.exitProgram();
            service_.ended();
        } else if (roll < 9) {
            ++tally_["Logout and Login in one run"];
            machine_.pick("mnulvSo");
            service_.loginReply = kvtest::kLoginReply;
            if (!machine_.logIn()) books_.fault("logging in again did not start the relay");
            readMessages();
        }
    }

    // The program is gone: the expert trades on for a while, sometimes into
    // the next day, then the trader starts the program again.
    void restart() {
        if (random_.chance(0.35)) ++day_;
        for (int steps = random_.between(0, 4); steps > 0; --steps) expert_.act(today());
        logIn();
    }

    void settleAndCheck() {
        calm_ = true;
        streak_.reset();
        bool quiet = false;
        for (int cycles = 0; cycles < 15 && !quiet; ++cycles) {
            const long before = tally_["requests"];
            cycle();
            quiet = tally_["requests"] == before;
        }
        if (!quiet) books_.fault("the relay does not settle");
        service_.checkpoint(recordsOnDisk());
        // What Active.log gained since the last check is exactly what was acknowledged since.
        std::ifstream file(machine_.hp.dataFile("Active.log"), std::ios::binary);
        file.seekg(static_cast<std::streamoff>(journalChecked_));
        const std::string added{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        journalChecked_ += added.size();
        if (kv::platform::splitLines(added, machine_.hp.text) != service_.takeJournal()) {
            ++tally_["Active.log checks that failed"];
            books_.fault("Active.log is not the requests acknowledged, line for line");
        }
        machine_.hp.service.requests.clear();  // the service keeps its own books
        expert_.dropClosed();
        publish();
        ++tally_["checkpoints"];
        calm_ = false;
    }

    const ReplyFault* replyFault() {
        const int roll = calm_ ? 1000 : random_.below(1000);
        if (roll < 6 && deathChance_ > 0) return roll < 3 ? &kDeathBeforeTaking : &kDeathAfterTaking;
        return roll >= 6 && roll < 106 ? &random_.pick(kReplyFaults) : nullptr;
    }

    FileError onFileStep(FileStep step, const std::string& path) {
        const std::string file = path.substr(path.find_last_of("/\\") + 1);
        const std::string what = std::string(kvtest::stepName(step)) + " " + file;
        if (deathChance_ > 0 && random_.chance(deathChance_)) {
            ++tally_["death: " + what];
            if (file == "Active.log") service_.journalLineLost();
            throw kvtest::Killed{};
        }
        FileError error = FileError::None;
        if (streak_ && streak_->step == step && streak_->file == file &&
            (!streak_->firstTryOnly || triedOnce_.insert(file).second)) {
            error = streak_->error;
            ++tally_["file fault: " + what + ": " + kv::platform::describe(error) +
                     (streak_->firstTryOnly ? " (first try only)" : "")];
            if (step != FileStep::Read && file != "Active.log") {
                stateWriteFailed_ = true;
                // The start-up stamp is written after the tables, so it waits too.
                if (machine_.read("Data/TempInit.dat").find(today()) == std::string::npos) service_.stampUnsaved();
            }
        }
        // The start-up load reads its stamp, then the log it rebuilds from.
        if (step == FileStep::Read && stampJustRead_ && file == "systemorder.log" && error == FileError::None)
            rebuild(machine_.read(machine_.orderFile("systemorder.log")));
        if (step == FileStep::Read)
            stampJustRead_ = rebuildAwaited_ && file == "TempInit.dat" && error == FileError::None;
        if (file == "Active.log" && error != FileError::None) service_.journalLineLost();
        if (error == FileError::None && step != FileStep::Read) told_.erase(file);
        return error;
    }

    // What the rebuild must make of the log it read: the open orders dated
    // before today. A log still being written must be waited for.
    void rebuild(const std::string& log) {
        if (!log.empty() && !log.ends_with('\n') && !log.ends_with('\r')) return;
        Records known;
        std::set<std::string> unseen;  // cut off a log caught half-written at a line end
        const std::string date = today();
        for (const ExpertOrder& o : expert_.orders()) {
            if (o.open() && o.date < date && log.find(o.line()) != std::string::npos)
                known[o.no] = o.field5();
            else if (o.open() && o.date < date)
                unseen.insert(o.no);
        }
        service_.loggedIn(known, true, unseen);
        ++tally_["start-up rebuilds"];
        rebuildAwaited_ = false;
        rebuilt_ = known;
        takenAtRebuild_ = service_.taken;
    }

    void publish() { machine_.write(machine_.orderFile("systemorder.log"), expert_.content()); }

    // A file that cannot be written is told once, and again only after it was written.
    void readMessages() {
        static const std::regex couldNotWrite(R"(Could not write the file .*[\\/]([^\\/:]+): .*)");
        const auto& shown = machine_.hp.messages.shown;
        for (std::smatch name; messagesRead_ < shown.size(); ++messagesRead_) {
            const std::string& text = shown[messagesRead_].text;
            if (std::regex_match(text, name, couldNotWrite)) {
                ++tally_["message: could not write " + name[1].str()];
                if (!told_.insert(name[1].str()).second) books_.fault("told twice about " + name[1].str());
            } else if (text.starts_with("Could not reach the Korvane - Vantor service")) {
                ++tally_["message: no connection at login"];
            } else {
                books_.fault("unexpected message: " + text);
            }
        }
    }

    Records recordsOnDisk() {
        Records records;
        std::smatch r;
        for (const auto& line : kv::platform::splitLines(machine_.known(), machine_.hp.text))
            if (std::regex_match(line, r, kRecord) && !records.emplace(r[1].str(), r[2].str() + r[3].str()).second)
                books_.fault("manualorder.log holds order " + r[1].str() + " twice");
        return records;
    }

    kv::platform::DateTime date() const { return {2026 + day_ / 336, 1 + day_ / 28 % 12, 1 + day_ % 28, 9, 30, 0}; }
    std::string today() const { return std::to_string(date().year * 10000 + date().month * 100 + date().day); }

    inline static const std::regex kRecord{R"((\d+);([OX]);(\d+))"};  // a known-order record
    const long cycles_;
    const double seconds_;
    Books books_;
    Tally& tally_ = books_.tally;
    kvtest::Machine machine_;
    Random random_;
    Expert expert_;
    Service service_;
    int day_ = 0;
    bool calm_ = false, stateWriteFailed_ = false, rebuildAwaited_ = false, stampJustRead_ = false;
    double deathChance_ = 0;          // at each file step, in a step that may die
    std::optional<Records> rebuilt_;  // to compare with the disk once the step is over
    long takenAtRebuild_ = 0;
    std::optional<FileFault> streak_;
    int streakSteps_ = 0;
    std::set<std::string> triedOnce_, told_;
    std::size_t messagesRead_ = 0, journalChecked_ = 0;
    long stampTimesMoved_ = 0;
};

}  // namespace soak
