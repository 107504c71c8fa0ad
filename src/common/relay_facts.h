#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/web_fetcher.h"

namespace kv {

// What one terminal's cycles showed, for the tray and the Terminals window.
struct TerminalFacts {
    std::string label;  // how the tray names it when several are relayed
    // Events its last cycle that ran detection sent and the service did not
    // acknowledge; with a request lost, the cycle stopped sending, so more may wait.
    int waiting = 0;
    bool moreMayWait = false;
    bool orderLogMissing = false;   // the last look for its order log found none
    bool expertNotStarted = false;  // and the expert just put in has not run yet: no fault
    std::string account;            // the account its order log shows
    std::string relayedThrough;     // another terminal relays that account to the same system: its label
    bool systemGone = false;        // its trade system is not one this login lists

    // One request of its cycle and what came of it; then the end of the cycle's detection.
    void answered(bool replied, bool acknowledged);
    void cycleReported();
    bool needsAttention() const { return orderLogMissing || systemGone; }
    // It reports its own events (as far as its last cycle showed).
    bool relaying() const { return !orderLogMissing && !systemGone && relayedThrough.empty(); }

private:
    int sent_ = 0, unacknowledged_ = 0;
    bool lost_ = false;
};

// What the engine's requests have shown about the service, and each
// terminal's facts, for the tray's status: kept by the engine, read by the shell.
class RelayFacts {
public:
    std::optional<platform::DateTime> lastAcknowledged;
    // Since the first request of an unbroken run of requests with no reply at all.
    std::optional<platform::DateTime> unreachableSince;
    bool certificateRefused = false;  // the last of them got none for the service's certificate
    std::map<std::string, TerminalFacts> terminals;  // by the terminal's key: "" is the first

    // One request and what came of it.
    void answered(const platform::Fetched& fetched, bool acknowledged, const platform::DateTime& now);
    // A cycle that sent nothing while no terminal has events waiting: the last
    // silence is no longer news (the events it left waiting are gone from the logs).
    void cycleSentNothing();

    int waiting() const;
    bool moreMayWait() const;
};

}  // namespace kv
