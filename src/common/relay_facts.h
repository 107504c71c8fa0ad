#pragma once
#include <optional>

#include "platform/clock.h"
#include "platform/web_fetcher.h"

namespace kv {

// What the engine's requests have shown about the service, for the tray's
// status: kept by the engine, read by the shell.
class RelayFacts {
public:
    std::optional<platform::DateTime> lastAcknowledged;
    // Events the last cycle that ran detection sent and the service did not
    // acknowledge; with a request lost, the cycle stopped sending, so more may wait.
    int waiting = 0;
    bool moreMayWait = false;
    // Since the first request of an unbroken run of requests with no reply at all.
    std::optional<platform::DateTime> unreachableSince;
    bool certificateRefused = false;  // the last of them got none for the service's certificate
    bool orderLogMissing = false;  // the last look for the order log found none
    bool expertNotStarted = false;  // and the expert just put in has not run yet: no fault

    // One request and what came of it.
    void answered(const platform::Fetched& fetched, bool acknowledged, const platform::DateTime& now);
    // The end of a cycle's detection: its tally becomes what waits.
    void cycleReported();

private:
    int sent_ = 0, unacknowledged_ = 0;
    bool lost_ = false;
};

}  // namespace kv
