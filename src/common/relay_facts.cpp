#include "common/relay_facts.h"

namespace kv {

void RelayFacts::answered(const platform::Fetched& fetched, bool acknowledged, const platform::DateTime& now) {
    const bool replied = fetched.reply.has_value();
    ++sent_;
    if (!acknowledged) ++unacknowledged_;
    if (acknowledged) lastAcknowledged = now;
    if (replied)
        unreachableSince.reset();
    else if (!unreachableSince)
        unreachableSince = now;
    certificateRefused = !replied && fetched.noReply == platform::NoReply::UntrustedCertificate;
    lost_ = lost_ || !replied;
}

void RelayFacts::cycleReported() {
    waiting = unacknowledged_;
    moreMayWait = lost_;
    // Nothing was sent, so nothing is known of the service: the last silence is
    // no longer news (the events it left waiting are gone from the order log).
    if (sent_ == 0) {
        unreachableSince.reset();
        certificateRefused = false;
    }
    sent_ = unacknowledged_ = 0;
    lost_ = false;
}

}  // namespace kv
