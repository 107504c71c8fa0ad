#pragma once
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "expert.h"
#include "reference_service/acknowledgement.h"
#include "support/machine.h"

namespace soak {

using Tally = std::map<std::string, long>;
using Records = std::map<std::string, std::string>;  // order number to field 5

// Every count of a run by what it counts, and the faults it found.
struct Books {
    Tally tally;
    std::vector<std::string> faults;  // the first ones, described
    double seconds = 0;
    void fault(const std::string& what) {
        if (faults.size() < 20) faults.push_back(what);
        ++tally["faults found"];
    }
};

// How the service answers one order event: spoils its acknowledgement, or
// kills the program before or after taking the event.
using Reply = std::optional<std::string>;
struct ReplyFault {
    const char* name;
    Reply (*spoil)(std::string acknowledgement);
};
inline const std::vector<ReplyFault> kReplyFaults{
    {"no reply (time-out, refused)", [](std::string) -> Reply { return std::nullopt; }},
    {"error page", [](std::string) -> Reply { return "<html><h1>503 Service Unavailable</h1></html>"; }},
    {"empty reply", [](std::string) -> Reply { return ""; }},
    {"reply for another order", [](std::string a) -> Reply { return "9" + a; }},
    {"reply for the other state",
     [](std::string a) -> Reply { return a.replace(a.find(';') + 1, 1, a.find(";X") == a.npos ? "X" : "O"); }},
    {"reply one character short", [](std::string a) -> Reply { return a.substr(0, a.size() - 1); }},
};
inline const ReplyFault kDeathBeforeTaking{"while the request is sent", nullptr};
inline const ReplyFault kDeathAfterTaking{"after the service took the event", nullptr};

// The web service and its books. It acknowledges an order event as the real
// one does (refsvc::acknowledgement, with field 5 of the order's line now)
// unless `nextFault` says otherwise, checks that the request carries the order's fields as the log
// has them, and keeps what it took of each order. Every event must arrive,
// and arrive twice only for a reason the design allows.
class Service {
public:
    enum Kind { New, Modification, Close, Delete };

    Service(const Expert& expert, Books& books) : expert_(expert), books_(books) {}

    Reply loginReply;
    std::function<const ReplyFault*()> nextFault;
    long taken = 0;

    Reply answer(const std::string& url) {
        static const std::vector<std::string> paths{"/SetTD.do?", "/EditTD.do?", "/CloseTD.do?", "/DeleteTD.do?"};
        int kind = 0;
        while (kind < 4 && url.find(paths[kind]) == std::string::npos) ++kind;
        if (kind == 4) return loginReply;
        ++books_.tally["requests"];
        const std::string no = kvtest::pairValue(url, "orderno");
        const ExpertOrder* order = expert_.order(no);
        const bool faithful = order && madeByTheLog(url, Kind(kind), *order);
        if (!faithful) books_.fault("a request the log does not make: " + url);
        if (!order) return "unknown order";
        const ReplyFault* fault = nextFault();
        if (fault) ++books_.tally[std::string(fault->spoil ? "reply fault: " : "death: ") + fault->name];
        if (fault == &kDeathBeforeTaking) throw kvtest::Killed{};
        if (faithful && (!fault || fault == &kDeathAfterTaking)) take(Kind(kind), no, order->field5());
        if (fault == &kDeathAfterTaking) throw kvtest::Killed{};
        if (faithful && !fault) journal_.push_back("\"" + url + "\"");
        const std::string acknowledgement = refsvc::acknowledgement(no, order->field5(), kind == Modification);
        return fault ? fault->spoil(acknowledgement) : acknowledgement;
    }

    // The program failed to append the line of the last acknowledgement to Active.log, or died there.
    void journalLineLost() {
        if (!journal_.empty()) journal_.pop_back();
        ++books_.tally["Active.log lines not written (disk full, death)"];
    }
    // The lines Active.log must have gained since the last call.
    std::vector<std::string> takeJournal() { return std::exchange(journal_, {}); }

    // A cycle ended with every state file written: what was taken is saved.
    void saved() {
        unsaved_.clear();
        stampUnsaved_ = false;
    }
    // A state file write failed before the start-up stamp was on disk: a run
    // later today rebuilds and forgets what this run reported.
    void stampUnsaved() { stampUnsaved_ = true; }
    // The program ended (killed, or Exit) with what it had not yet saved.
    void ended() {
        atRisk_.insert(unsaved_.begin(), unsaved_.end());
        if (stampUnsaved_) atRisk_.insert(takenThisRun_.begin(), takenThisRun_.end());
        unsaved_.clear();
        takenThisRun_.clear();
        stampUnsaved_ = false;
    }

    // A run logged in and works from `known` (order number to field 5): its
    // records, or what the start-up rebuild of a new date made of the log,
    // from which a log cut at a line end left out `unseen`. What it lacks of
    // the service's takings may be sent again only if it was at risk.
    void loggedIn(const Records& known, bool rebuilt, const std::set<std::string>& unseen = {}) {
        auto inStep = [&](const std::string& no) { return openState(at(views_, no)) == at(known, no); };
        std::map<std::string, std::string> atRisk = std::exchange(mayResend_, {});
        for (const std::string& no : std::exchange(atRisk_, {}))
            atRisk.emplace(no, "between an acknowledgement and its save");
        for (const std::string& no : unseen) atRisk.emplace(no, "the rebuild read a log cut at a line end");
        for (const auto& [no, cause] : atRisk)
            if (!inStep(no)) mayResend_[no] = cause;
        if (!rebuilt) return;
        // What the rebuild took as known, and the closes it passed over, are never reported, as designed.
        excused_.clear();
        for (const ExpertOrder& o : expert_.orders())
            if (!inStep(o.no) && (known.count(o.no) || !o.open())) {
                excused_.insert(o.no);
                ++books_.tally["rebuild took as known, unreported"];
            }
    }

    // Everything settled: the service and the program's records against the
    // log. Then the closed orders leave the log and the books.
    void checkpoint(const Records& records) {
        for (const ExpertOrder& o : expert_.orders()) {
            const std::string expected = o.open() ? o.field5() : "";
            if (at(records, o.no) != expected)
                books_.fault("the program's record of order " + o.no + " is not " + expected);
            if (openState(at(views_, o.no)) == expected || excused_.count(o.no)) continue;
            // An opening sent in a crash window whose order closed before the next run sent it again.
            if (!o.open() && mayResend_.count(o.no)) {
                excused_.insert(o.no);
                ++books_.tally["opened in a crash window, closed before it was sent again"];
            } else {
                ++books_.tally["events lost"];
                books_.fault("lost: order " + o.no + " is " + o.field5() + ", the service has " + at(views_, o.no));
            }
        }
        for (const auto& [no, state] : records)
            if (!expert_.order(no)) books_.fault("the program holds order " + no + ", which is not in the log");
        mayResend_.clear();
        for (const ExpertOrder& o : expert_.orders())
            if (!o.open()) {
                views_.erase(o.no);
                excused_.erase(o.no);
            }
    }

private:
    static std::string at(const Records& records, const std::string& no) {
        const auto found = records.find(no);
        return found == records.end() ? "" : found->second;
    }
    static std::string openState(const std::string& field5) { return field5.starts_with('O') ? field5 : ""; }

    // The service acknowledged an event and took it.
    void take(Kind kind, const std::string& no, const std::string& field5) {
        static const char* const names[]{"new", "modification", "close", "delete"};
        ++taken;
        const std::string view = at(views_, no);
        const bool heard = !view.empty(), open = view.starts_with('O');
        const bool again = heard && (kind == New ? open : kind == Modification ? view == field5 : !open);
        const bool inOrder = kind == New ? !heard : open || (!heard && excused_.count(no));
        const std::string what = std::string(names[kind]) + " of order " + no + " " + field5;
        if (again && mayResend_.count(no)) {
            ++books_.tally["sent again: " + mayResend_[no]];
            mayResend_.erase(no);
        } else if (again) {
            books_.fault("sent again without cause: " + what);
        } else if (!inOrder) {
            books_.fault("out of order: " + what + " after " + (heard ? view : "nothing"));
        } else {
            ++books_.tally[std::string("acknowledged: ") + names[kind]];
        }
        views_[no] = field5;
        excused_.erase(no);
        unsaved_.insert(no);
        takenThisRun_.insert(no);
    }

    // The request the order's line in the log makes: a line the program read
    // half-written would give other values.
    static bool madeByTheLog(const std::string& url, Kind kind, const ExpertOrder& o) {
        static const char* const modes[]{"New", "Mod", "Cls", "Del"};
        const bool ending = kind == Close || kind == Delete;
        std::string query = "?systemid=12&accountno=52001&orderno=" + o.no + "&ordertype=" + o.type;
        if (kind == New) query += "&symbol=" + o.symbol;
        query += "&lots=" + o.lots + "&openprice=" + o.openPrice + "&stoploss=" + o.stopLoss +
                 "&takeprofit=" + o.takeProfit + (kind == New ? "&demo=1" : "");
        if (ending) query += "&closeprice=" + o.closePrice;
        if (kind == Close) query += "&pnl=" + o.pnl;
        query += std::string("&mode=") + modes[kind];
        return url.ends_with(query) && (ending ? !o.open() && o.market() == (kind == Close) : o.open());
    }

    const Expert& expert_;
    Books& books_;
    Records views_;  // what the service took last of each order
    std::vector<std::string> journal_;
    std::set<std::string> unsaved_;       // taken since the last cycle that saved everything
    std::set<std::string> takenThisRun_;  // for a run whose start-up stamp is not saved
    std::set<std::string> atRisk_;        // taken but maybe not saved when the program ended
    bool stampUnsaved_ = false;
    std::map<std::string, std::string> mayResend_;  // by why the design allows it
    std::set<std::string> excused_;                 // the service may disagree with the log for good
};

}  // namespace soak
