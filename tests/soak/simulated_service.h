#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "service_ledger.h"
#include "simulated_expert.h"

namespace soak {

// How the service fails to acknowledge one order event request.
enum class ReplyFault {
    None,
    TimeOut,           // no reply at all
    Refused,           // no connection at all
    ErrorPage,
    EmptyReply,
    AnotherOrder,      // an acknowledgement, of another order number
    AnotherState,      // of the order in its other state (open for closed and back)
    OneCharacterShort,
    DeathBeforeReply,  // the program dies while the request is on its way
    DeathAfterReply,   // the service took the event, the program dies before the reply arrives
};
const char* faultName(ReplyFault fault);

// The web service. It answers the login, and acknowledges an order event the
// way the real one does: the order number, ";", field 5 of the order's line
// in the log now, and one more character (three for a modification), unless
// `nextFault` says otherwise. It checks that every request carries the
// order's fields as the log has them, takes each acknowledged event into the
// ledger, and keeps the Active.log lines the program must write.
class SimulatedService {
public:
    SimulatedService(const SimulatedExpert& expert, ServiceLedger& ledger) : expert_(expert), ledger_(ledger) {}

    std::optional<std::string> answer(const std::string& url);

    std::function<ReplyFault()> nextFault;
    std::optional<std::string> loginReply = std::string("7;12;Alpha");  // none: no connection

    // The program appends to Active.log (or tried to and failed or died).
    void journalAppended(bool written);
    // A cycle returned: each acknowledgement it received must be journaled.
    void cycleEnded();
    // The lines Active.log must have gained since the last call.
    std::vector<std::string> takeExpectedJournal() { return std::exchange(journal_, {}); }

    std::map<std::string, long> faultsInjected;  // by fault name
    long requests = 0, garbled = 0, journalLinesLost = 0, taken = 0;

private:
    void take(EventKind kind, const std::string& no, const std::string& field5);
    bool carriesTheLog(const std::string& url, EventKind kind, const ExpertOrder& order) const;
    std::optional<std::string> spoilt(ReplyFault fault, const std::string& answer) const;

    const SimulatedExpert& expert_;
    ServiceLedger& ledger_;
    std::optional<std::string> awaitingJournal_;
    std::vector<std::string> journal_;
};

}  // namespace soak
