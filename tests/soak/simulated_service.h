#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "service_ledger.h"
#include "support/machine.h"

namespace soak {

// How the service fails to acknowledge one order event request.
enum class ReplyFault {
    None,
    TimeOut,  // no reply at all
    Refused,  // no connection at all
    ErrorPage,
    EmptyReply,
    AnotherOrder,  // an acknowledgement, of another order number
    AnotherState,  // of the order in its other state (open for closed and back)
    OneCharacterShort,
    DeathBeforeReply,  // the program dies while the request is on its way
    DeathAfterReply,   // the service took the event, the program dies before the reply arrives
};
inline const char* faultName(ReplyFault fault) {
    static const char* const names[]{"none",
                                     "time-out",
                                     "connection refused",
                                     "error page",
                                     "empty reply",
                                     "reply for another order",
                                     "reply for another state",
                                     "reply one character short",
                                     "death while the request is sent",
                                     "death after the service took the event"};
    return names[static_cast<int>(fault)];
}

// The web service. It answers the login, and acknowledges an order event the
// way the real one does: the order number, ";", field 5 of the order's line
// in the log now, and one more character (three for a modification), unless
// `nextFault` says otherwise. It checks that every request carries the
// order's fields as the log has them, takes each acknowledged event into the
// ledger, and keeps the Active.log lines the program must write.
class SimulatedService {
public:
    SimulatedService(const SimulatedExpert& expert, ServiceLedger& ledger) : expert_(expert), ledger_(ledger) {}

    std::optional<std::string> answer(const std::string& url) {
        static const std::map<std::string, EventKind> kinds{{"SetTD", EventKind::New},
                                                            {"EditTD", EventKind::Modification},
                                                            {"CloseTD", EventKind::Close},
                                                            {"DeleteTD", EventKind::Delete}};
        const std::string name = kvtest::shortName(url);
        const auto found = kinds.find(name.substr(0, name.find(' ')));
        if (found == kinds.end()) return loginReply;
        const EventKind kind = found->second;
        ++requests;
        if (awaitingJournal_) {
            ledger_.fault("acknowledged but not in Active.log: " + *awaitingJournal_);
            awaitingJournal_.reset();
        }
        const std::string no = kvtest::pairValue(url, "orderno");
        const ExpertOrder* order = expert_.order(no);
        const bool faithful = order && carriesTheLog(url, kind, *order);
        if (!faithful) {
            ++garbled;
            ledger_.fault("a request the log does not make: " + url);
        }
        if (!order) return std::string("unknown order");

        const std::string answer = no + ";" + order->field5() + (kind == EventKind::Modification ? "ok\n" : "\n");
        const ReplyFault fault = nextFault ? nextFault() : ReplyFault::None;
        if (fault != ReplyFault::None) ++faultsInjected[faultName(fault)];
        if (fault == ReplyFault::DeathBeforeReply) throw kvtest::Killed{};
        if (fault == ReplyFault::DeathAfterReply) {
            if (faithful) take(kind, no, order->field5());
            throw kvtest::Killed{};
        }
        if (fault == ReplyFault::None && faithful) {
            take(kind, no, order->field5());
            awaitingJournal_ = "\"" + url + "\"";
        }
        return spoilt(fault, answer);
    }

    std::function<ReplyFault()> nextFault;
    std::optional<std::string> loginReply = std::string(kvtest::kLoginReply);  // none: no connection

    // The program appends to Active.log (or tried to and failed or died).
    void journalAppended(bool written) {
        if (!awaitingJournal_) return ledger_.fault("Active.log appended without an acknowledgement");
        if (written)
            journal_.push_back(*awaitingJournal_);
        else
            ++journalLinesLost;
        awaitingJournal_.reset();
    }
    // A cycle returned: each acknowledgement it received must be journaled.
    void cycleEnded() {
        if (awaitingJournal_) ledger_.fault("acknowledged but not in Active.log: " + *awaitingJournal_);
        awaitingJournal_.reset();
    }
    // The lines Active.log must have gained since the last call.
    std::vector<std::string> takeExpectedJournal() { return std::exchange(journal_, {}); }

    std::map<std::string, long> faultsInjected;  // by fault name
    long requests = 0, garbled = 0, journalLinesLost = 0, taken = 0;

private:
    void take(EventKind kind, const std::string& no, const std::string& field5) {
        ++taken;
        ledger_.take(kind, no, field5);
    }

    // The request is exactly the one the order's line in the log makes: a line
    // the program read half-written would give other values.
    static bool carriesTheLog(const std::string& url, EventKind kind, const ExpertOrder& o) {
        const bool opening = kind == EventKind::New, ending = kind == EventKind::Close || kind == EventKind::Delete;
        std::string query = "?systemid=12&accountno=52001&orderno=" + o.no + "&ordertype=" + o.type;
        if (opening) query += "&symbol=" + o.symbol;
        query += "&lots=" + o.lots + "&openprice=" + o.openPrice + "&stoploss=" + o.stopLoss +
                 "&takeprofit=" + o.takeProfit;
        if (opening) query += "&demo=1";
        if (ending) query += "&closeprice=" + o.closePrice;
        if (kind == EventKind::Close) query += "&pnl=" + o.pnl;
        static const char* const modes[]{"New", "Mod", "Cls", "Del"};
        query += std::string("&mode=") + modes[static_cast<int>(kind)];
        const bool closedRightly = ending ? o.mark == 'X' && o.market() == (kind == EventKind::Close) : o.mark == 'O';
        return url.ends_with(query) && closedRightly;
    }

    static std::optional<std::string> spoilt(ReplyFault fault, const std::string& answer) {
        switch (fault) {
            case ReplyFault::TimeOut:
            case ReplyFault::Refused: return std::nullopt;
            case ReplyFault::ErrorPage: return std::string("<html><body><h1>503 Service Unavailable</h1></body></html>");
            case ReplyFault::EmptyReply: return std::string();
            case ReplyFault::AnotherOrder: return "9" + answer;
            case ReplyFault::AnotherState: {
                std::string other = answer;
                char& mark = other[other.find(';') + 1];
                mark = mark == 'X' ? 'O' : 'X';
                return other;
            }
            case ReplyFault::OneCharacterShort: return answer.substr(0, answer.size() - 1);
            default: return answer;
        }
    }

    const SimulatedExpert& expert_;
    ServiceLedger& ledger_;
    std::optional<std::string> awaitingJournal_;
    std::vector<std::string> journal_;
};

}  // namespace soak
