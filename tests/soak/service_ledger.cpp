#include "service_ledger.h"

namespace soak {

namespace {
constexpr std::size_t kFaultsKept = 20;

std::string describe(const std::string& no, const std::string* state) { return "order " + no + " " + (state ? *state : "-"); }
}  // namespace

const char* kindName(EventKind kind) {
    switch (kind) {
        case EventKind::New: return "new";
        case EventKind::Modification: return "modification";
        case EventKind::Close: return "close";
        case EventKind::Delete: return "delete";
    }
    return "?";
}

const char* resendName(Resend cause) {
    return cause == Resend::CrashWindow ? "the program ended between an acknowledgement and its save"
                                        : "the start-up rebuild read a half-written order log";
}

void ServiceLedger::fault(const std::string& what) {
    if (faults.size() < kFaultsKept) faults.push_back(what);
    ++faultCount;
}

void ServiceLedger::take(EventKind kind, const std::string& no, const std::string& field5) {
    auto found = service_.find(no);
    const bool heard = found != service_.end();
    const bool open = heard && found->second.open;
    const bool again = (kind == EventKind::New && open) ||
                       (kind == EventKind::Modification && open && found->second.field5 == field5) ||
                       ((kind == EventKind::Close || kind == EventKind::Delete) && heard && !open);
    const bool takenAsKnown = excused_.count(no) && excused_[no] == Excuse::TakenAsKnownAtRebuild;
    const bool fresh = (kind == EventKind::New && !heard) || (kind != EventKind::New && (open || (!heard && takenAsKnown)));
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

void ServiceLedger::saved() {
    unsaved_.clear();
    stampUnsaved_ = false;
}

void ServiceLedger::ended() {
    atRisk_.insert(unsaved_.begin(), unsaved_.end());
    // Without its stamp a run later today rebuilds, and forgets what this run reported.
    if (stampUnsaved_) atRisk_.insert(takenThisRun_.begin(), takenThisRun_.end());
    unsaved_.clear();
    takenThisRun_.clear();
    stampUnsaved_ = false;
}

void ServiceLedger::loggedIn(const std::map<std::string, std::string>& known, bool rebuilt,
                             const SimulatedExpert& expert, const std::string& loginDate,
                             const std::set<std::string>& unseen) {
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
        const bool inStep = view && view->open ? state && *state == view->field5 : !state;
        if (inStep) {
            excused_.erase(no);
            continue;
        }
        if (rebuilt)
            classifyRebuilt(no, view, state, expert.order(no), loginDate, unseen, atRisk);
        else
            classifySameDay(no, view, state, expert.order(no), atRisk, carried);
    }
}

// The rebuild made the orders open in the log before the login date known,
// with their state now; what the service had not yet taken of them is
// absorbed. An order it left out is reported as new again.
void ServiceLedger::classifyRebuilt(const std::string& no, const View* view, const std::string* known,
                                    const ExpertOrder* line, const std::string& loginDate,
                                    const std::set<std::string>& unseen, const std::set<std::string>& atRisk) {
    if (known) {
        if (view && !view->open) {
            fault("the rebuild took a closed order as open: " + describe(no, known));
        } else {
            excused_[no] = Excuse::TakenAsKnownAtRebuild;
            ++(view ? figures.absorbedModifications : figures.absorbedOpens);
        }
        return;
    }
    if (!line) {
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
void ServiceLedger::classifySameDay(const std::string& no, const View* view, const std::string* known,
                                    const ExpertOrder* line, const std::set<std::string>& atRisk,
                                    const std::map<std::string, Resend>& carried) {
    if (excused_.count(no)) return;
    if (!atRisk.count(no)) {
        fault("the program forgot what the service took: " + describe(no, known) + ", service " +
              (view ? view->field5 : "-"));
        return;
    }
    if (view && view->open && !known && line && line->mark == 'X') {
        excused_[no] = Excuse::LeftOpenByCrashWindow;
        ++figures.leftOpenByCrashWindow;
        return;
    }
    auto cause = carried.find(no);
    expectedAgain_[no] = cause == carried.end() ? Resend::CrashWindow : cause->second;
}

void ServiceLedger::checkpoint(const SimulatedExpert& expert, const std::map<std::string, std::string>& records) {
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
                fault("lost: the service has order " + o.no + " as " + (v == service_.end() ? "-" : v->second.field5) +
                      ", the log says " + o.field5());
            }
        } else {
            if (r != records.end()) fault("the program still holds closed order " + o.no);
            if (serviceOpen && !excused) {
                // Its opening went in a crash window and was not sent again before it closed.
                if (expectedAgain_.count(o.no)) {
                    excused_[o.no] = Excuse::LeftOpenByCrashWindow;
                    ++figures.leftOpenByCrashWindow;
                } else {
                    ++figures.lost;
                    fault("lost: the " + std::string(o.market() ? "close" : "delete") + " of order " + o.no);
                }
            }
        }
    }
    for (const auto& [no, state] : records)
        if (!expert.order(no)) fault("the program holds order " + no + ", which is not in the log");
    expectedAgain_.clear();
}

void ServiceLedger::forgetGone(const SimulatedExpert& expert) {
    std::erase_if(service_, [&](const auto& entry) { return !expert.order(entry.first); });
    std::erase_if(excused_, [&](const auto& entry) { return !expert.order(entry.first); });
}

}  // namespace soak
