#include "relay/shared_account.h"

#include "relay/relayed_terminals.h"

namespace kv {

namespace {

bool sameSystem(const TerminalCycle& a, const TerminalCycle& b) {
    return &a != &b && a.site().systemId() == b.site().systemId();
}

bool fallenSilent(const TerminalCycle& holder, const TerminalCycle& me, std::uint64_t now) {
    return now - me.lastLogChange() >= kSilentHolderMs && holder.lastLogChange() + 1000 < me.lastLogChange();
}

}  // namespace

const TerminalCycle* accountHolder(const RelayedTerminals& terminals, const TerminalCycle& me, std::uint64_t now) {
    const std::string& account = me.facts().account;
    for (std::size_t i = 0; i < terminals.count(); ++i) {
        const TerminalCycle& other = terminals.cycle(i);
        if (sameSystem(other, me) && other.relaying() && other.facts().account == account &&
            !fallenSilent(other, me, now))
            return &other;
    }
    return nullptr;
}

std::vector<const TerminalCycle*> sharingAccount(const RelayedTerminals& terminals, const TerminalCycle& me) {
    std::vector<const TerminalCycle*> sharing;
    for (std::size_t i = 0; i < terminals.count(); ++i) {
        const TerminalCycle& other = terminals.cycle(i);
        if (sameSystem(other, me) && other.accountShown() == me.facts().account) sharing.push_back(&other);
    }
    return sharing;
}

}  // namespace kv
