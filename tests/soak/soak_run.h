#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/machine.h"
#include "service_ledger.h"
#include "simulated_expert.h"
#include "simulated_service.h"
#include "soak_random.h"

namespace soak {

struct SoakSettings {
    std::uint64_t seed = 20261205;
    long cycles = 3000;   // poll intervals in all
    double seconds = 0;   // stop early after this long (0: no limit)
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
    bool journalExact = false;  // Active.log holds exactly the acknowledged requests
    ExpertEvents expert;
    LedgerFigures ledger;
    std::vector<std::string> faults;
    long faultCount = 0;
};

// Thousands of poll intervals of one trader's day after day: the expert
// trades and rewrites its log (now and then caught half-written), the service
// fails in every way it can, files fail, and the program dies and is started
// again at any point. Every so often everything is let settle and the books
// are checked.
class SoakRun {
public:
    explicit SoakRun(const SoakSettings& settings);
    SoakFigures run();

private:
    struct FileFault {
        const char* file;
        kvtest::FileStep step;
        kv::platform::FileError error;
        bool firstTryOnly = false;  // the read that is tried once more succeeds
    };
    struct Death {
        const char* where;
        const char* file;
        kvtest::FileStep step;
    };

    void logInFreshProcess();
    bool tryLogIn();
    void startupLoadReads(const std::string& log);
    void checkRebuiltFile();
    void pollOnce();
    void betweenCycles();
    void restart();
    void settleAndCheck();

    kv::platform::FileError onFileStep(kvtest::FileStep step, const std::string& path);
    ReplyFault chooseReplyFault();
    void planFaults();
    void publish(bool mayBeHalfWritten);
    void finishPublishing();
    void readMessages();
    void checkJournal();
    std::map<std::string, std::string> recordsOnDisk();
    std::map<std::string, std::string> rebuiltFrom(const std::string& log, const std::string& loginDate);
    std::string today() const;
    void setClock();

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
    bool loginMayFail_ = false;
};

}  // namespace soak
