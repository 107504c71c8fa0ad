#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "simulated_expert.h"

namespace soak {

enum class EventKind { New, Modification, Close, Delete };
inline const char* kindName(EventKind kind) {
    static const char* const names[]{"new", "modification", "close", "delete"};
    return names[static_cast<int>(kind)];
}

// Why an event the service had already taken may reach it again.
enum class Resend {
    CrashWindow,              // the program ended between an acknowledgement and the save of it
    HalfWrittenLogAtRebuild,  // the once-a-day rebuild read a log the expert was still writing
};
inline const char* resendName(Resend cause) {
    return cause == Resend::CrashWindow ? "the program ended between an acknowledgement and its save"
                                        : "the start-up rebuild read a half-written order log";
}

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
    void take(EventKind kind, const std::string& no, const std::string& field5) {
        auto found = service_.find(no);
        const bool heard = found != service_.end();
        const bool open = heard && found->second.open;
        const bool again = (kind == EventKind::New && open) ||
                           (kind == EventKind::Modification && open && found->second.field5 == field5) ||
                           ((kind == EventKind::Close || kind == EventKind::Delete) && heard && !open);
        const bool takenAsKnown = excused_.count(no) && excused_[no] == Excuse::TakenAsKnownAtRebuild;
        const bool fresh =
            (kind == EventKind::New && !heard) || (kind != EventKind::New && (open || (!heard && takenAsKnown)));
        if (again) {
            auto expected = expectedAgain_.find(no);
            if (expected == expectedAgain_.end()) {
                fault(std::string("sent again without cause: ") + kindName(kind) + " of order " + no + " " + field5);
            } else {
                ++figures.sentAgain[expected->second];
                expectedAgain_.erase(expected);
            }
        } else if (fresh) {
            ++figures.acknowledged[kind];
        } else {
            fault(std::string("out of order: ") + kindName(kind) + " of order " + no + " " + field5 + " after " +
                  (heard ? found->second.field5 : "nothing"));
        }
        service_[no] = {kind == EventKind::New || kind == EventKind::Modification, field5};
        excused_.erase(no);
        unsaved_.insert(no);
        takenThisRun_.insert(no);
    }

    // A cycle ended with every state file written: what was taken is on disk.
    void saved() {
        unsaved_.clear();
        stampUnsaved_ = false;
    }
    // A state file write failed while logging in: the start-up stamp is not
    // on disk, so a run later today may rebuild the tables again.
    void stampUnsaved() { stampUnsaved_ = true; }
    // The program ended (killed, or Exit) with what it had not yet saved.
    void ended() {
        atRisk_.insert(unsaved_.begin(), unsaved_.end());
        // Without its stamp a run later today rebuilds, and forgets what this run reported.
        if (stampUnsaved_) atRisk_.insert(takenThisRun_.begin(), takenThisRun_.end());
        unsaved_.clear();
        takenThisRun_.clear();
        stampUnsaved_ = false;
    }

    // A program run logged in. `known`: what it works from now (order number
    // to field 5); `rebuilt`: the start-up load rebuilt it from the order log
    // of `loginDate`, from which a half-written file left out `unseen`.
    void loggedIn(const std::map<std::string, std::string>& known, bool rebuilt, const SimulatedExpert& expert,
                  const std::string& loginDate, const std::set<std::string>& unseen) {
        std::set<std::string> atRisk = std::move(atRisk_);
        atRisk_.clear();
        const std::map<std::string, Resend> carried = std::move(expectedAgain_);
        expectedAgain_.clear();
        for (const auto& [no, cause] : carried) atRisk.insert(no);
        if (rebuilt) excused_.clear();
        std::set<std::string> orders;
        for (const auto& [no, view] : service_) orders.insert(no);
        for (const auto& [no, state] : known) orders.insert(no);
        for (const std::string& no : orders) {
            auto v = service_.find(no);
            auto k = known.find(no);
            const View* view = v == service_.end() ? nullptr : &v->second;
            const std::string* state = k == known.end() ? nullptr : &k->second;
            if (view && view->open ? state && *state == view->field5 : !state) {
                excused_.erase(no);  // in step
            } else if (rebuilt) {
                classifyRebuilt(no, view, state, expert.order(no), loginDate, unseen, atRisk);
            } else {
                classifySameDay(no, view, state, expert.order(no), atRisk, carried);
            }
        }
    }

    // Everything settled: the service and the program's records against the log.
    void checkpoint(const SimulatedExpert& expert, const std::map<std::string, std::string>& records) {
        for (const ExpertOrder& o : expert.orders()) {
            auto v = service_.find(o.no);
            auto r = records.find(o.no);
            const bool serviceOpen = v != service_.end() && v->second.open;
            const bool excused = excused_.count(o.no) > 0;
            if (o.mark == 'O') {
                if (r == records.end() || r->second != o.field5())
                    fault("the program's record of order " + o.no + " is not " + o.field5());
                if (!(serviceOpen && v->second.field5 == o.field5()) && !excused) {
                    ++figures.lost;
                    fault("lost: the service has order " + o.no + " as " +
                          (v == service_.end() ? "-" : v->second.field5) + ", the log says " + o.field5());
                }
                continue;
            }
            if (r != records.end()) fault("the program still holds closed order " + o.no);
            if (!serviceOpen || excused) continue;
            // Its opening went in a crash window and was not sent again before it closed.
            if (expectedAgain_.count(o.no)) {
                excused_[o.no] = Excuse::LeftOpenByCrashWindow;
                ++figures.leftOpenByCrashWindow;
            } else {
                ++figures.lost;
                fault("lost: the " + std::string(o.market() ? "close" : "delete") + " of order " + o.no);
            }
        }
        for (const auto& [no, state] : records)
            if (!expert.order(no)) fault("the program holds order " + no + ", which is not in the log");
        expectedAgain_.clear();
    }
    // Orders that left the log are done with.
    void forgetGone(const SimulatedExpert& expert) {
        std::erase_if(service_, [&](const auto& entry) { return !expert.order(entry.first); });
        std::erase_if(excused_, [&](const auto& entry) { return !expert.order(entry.first); });
    }

    void fault(const std::string& what) {
        if (faults.size() < 20) faults.push_back(what);
        ++faultCount;
    }

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

    static std::string describe(const std::string& no, const std::string* state) {
        return "order " + no + " " + (state ? *state : "-");
    }

    // The rebuild made the orders open in the log before the login date known,
    // with their state now; what the service had not yet taken of them is
    // absorbed. An order it left out is reported as new again.
    void classifyRebuilt(const std::string& no, const View* view, const std::string* known, const ExpertOrder* line,
                         const std::string& loginDate, const std::set<std::string>& unseen,
                         const std::set<std::string>& atRisk) {
        if (known) {
            if (view && !view->open) {
                fault("the rebuild took a closed order as open: " + describe(no, known));
            } else {
                excused_[no] = Excuse::TakenAsKnownAtRebuild;
                ++(view ? figures.absorbedModifications : figures.absorbedOpens);
            }
        } else if (!line) {
            fault("an order the service holds open left the log: order " + no);
        } else if (line->mark == 'X') {
            excused_[no] = Excuse::TakenAsKnownAtRebuild;
            ++figures.absorbedCloses;
        } else if (line->date >= loginDate) {
            if (atRisk.count(no))
                expectedAgain_[no] = Resend::CrashWindow;
            else
                fault("the rebuild forgot an order opened and reported today: order " + no);
        } else if (unseen.count(no)) {
            expectedAgain_[no] = Resend::HalfWrittenLogAtRebuild;
        } else {
            fault("the rebuild did not take an order open before the login date: order " + no);
        }
    }

    // The same login date: the program goes on from its saved records, which lag
    // the service only for what a crash window kept from being saved.
    void classifySameDay(const std::string& no, const View* view, const std::string* known, const ExpertOrder* line,
                         const std::set<std::string>& atRisk, const std::map<std::string, Resend>& carried) {
        if (excused_.count(no)) return;
        if (!atRisk.count(no)) {
            fault("the program forgot what the service took: " + describe(no, known) + ", service " +
                  (view ? view->field5 : "-"));
        } else if (view && view->open && !known && line && line->mark == 'X') {
            excused_[no] = Excuse::LeftOpenByCrashWindow;
            ++figures.leftOpenByCrashWindow;
        } else {
            auto cause = carried.find(no);
            expectedAgain_[no] = cause == carried.end() ? Resend::CrashWindow : cause->second;
        }
    }

    std::map<std::string, View> service_;
    std::set<std::string> unsaved_;  // taken since the last cycle that saved everything
    std::set<std::string> takenThisRun_;
    std::set<std::string> atRisk_;  // taken but maybe not saved when the program ended
    bool stampUnsaved_ = false;
    std::map<std::string, Resend> expectedAgain_;
    std::map<std::string, Excuse> excused_;
};

}  // namespace soak
