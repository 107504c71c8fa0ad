#include "common/relay_facts.h"

namespace kv {

void TerminalFacts::answered(bool replied, bool acknowledged) {
    ++sent_;
    if (!acknowledged) ++unacknowledged_;
    lost_ = lost_ || !replied;
}

void TerminalFacts::cycleReported() {
    waiting = unacknowledged_;
    moreMayWait = lost_;
    sent_ = unacknowledged_ = 0;
    lost_ = false;
}

void RelayFacts::answered(const platform::Fetched& fetched, bool acknowledged, const platform::DateTime& now) {
    const bool replied = fetched.reply.has_value();
    if (acknowledged) lastAcknowledged = now;
    if (replied)
        unreachableSince.reset();
    else if (!unreachableSince)
        unreachableSince = now;
    certificateRefused = !replied && fetched.noReply == platform::NoReply::UntrustedCertificate;
}

void RelayFacts::cycleSentNothing() {
    if (waiting() > 0 || moreMayWait()) return;
    unreachableSince.reset();
    certificateRefused = false;
}

int RelayFacts::waiting() const {
    int total = 0;
    for (const auto& [key, terminal] : terminals) total += terminal.waiting;
    return total;
}

bool RelayFacts::moreMayWait() const {
    for (const auto& [key, terminal] : terminals)
        if (terminal.moreMayWait) return true;
    return false;
}

}  // namespace kv
