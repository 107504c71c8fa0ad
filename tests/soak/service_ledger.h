#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "simulated_expert.h"

namespace soak {

enum class EventKind { New, Modification, Close, Delete };
const char* kindName(EventKind kind);

// Why an event the service had already taken may reach it again.
enum class Resend {
    CrashWindow,              // the program ended between an acknowledgement and the save of it
    HalfWrittenLogAtRebuild,  // the once-a-day rebuild read a log the expert was still writing
};
const char* resendName(Resend cause);

struct LedgerFigures {
    std::map<EventKind, long> acknowledged;  // first acknowledgements, by kind
    std::map<Resend, long> sentAgain;
    // Events the start-up rebuild of a new login date took as known, as it
    // is built to: they are never reported.
    long absorbedOpens = 0, absorbedModifications = 0, absorbedCloses = 0;
    // Orders whose opening the service took in a crash window and that closed
    // before the next run could send it again: the close cannot follow.
    long leftOpenByCrashWindow = 0;
    long lost = 0;  // events that had to be reported and were not
};

// The service's side of the books: what it has taken of every order, checked
// against what the program knows at each login and against the order log
// once everything has settled. Every event must arrive; an event arrives
// twice only for a reason the design allows.
class ServiceLedger {
public:
    // The service acknowledged an event and took it.
    void take(EventKind kind, const std::string& no, const std::string& field5);

    // A cycle ended with every state file written: what was taken is on disk.
    void saved();
    // A state file write failed while logging in: the start-up stamp is not
    // on disk, so a run later today may rebuild the tables again.
    void stampUnsaved() { stampUnsaved_ = true; }
    // The program ended (killed, or Exit) with what it had not yet saved.
    void ended();

    // A program run logged in. `known`: what it works from now (order number
    // to field 5); `rebuilt`: the start-up load rebuilt it from the order log
    // of `loginDate`, from which a half-written file left out `unseen`.
    void loggedIn(const std::map<std::string, std::string>& known, bool rebuilt, const SimulatedExpert& expert,
                  const std::string& loginDate, const std::set<std::string>& unseen);

    // Everything settled: the service and the program's records against the log.
    void checkpoint(const SimulatedExpert& expert, const std::map<std::string, std::string>& records);
    // Orders that left the log are done with.
    void forgetGone(const SimulatedExpert& expert);

    void fault(const std::string& what);

    LedgerFigures figures;
    std::vector<std::string> faults;  // the first ones, described
    long faultCount = 0;

private:
    struct View {
        bool open;
        std::string field5;
    };
    // Why the service may disagree with the log for good.
    enum class Excuse { TakenAsKnownAtRebuild, LeftOpenByCrashWindow };

    void classifyRebuilt(const std::string& no, const View* view, const std::string* known, const ExpertOrder* line,
                         const std::string& loginDate, const std::set<std::string>& unseen,
                         const std::set<std::string>& atRisk);
    void classifySameDay(const std::string& no, const View* view, const std::string* known, const ExpertOrder* line,
                         const std::set<std::string>& atRisk, const std::map<std::string, Resend>& carried);

    std::map<std::string, View> service_;
    std::set<std::string> unsaved_;     // taken since the last cycle that saved everything
    std::set<std::string> takenThisRun_;
    std::set<std::string> atRisk_;      // taken but maybe not saved when the program ended
    bool stampUnsaved_ = false;
    std::map<std::string, Resend> expectedAgain_;
    std::map<std::string, Excuse> excused_;
};

}  // namespace soak
