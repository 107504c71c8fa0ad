#pragma once
#include <cstdint>
#include <vector>

namespace kv {

class RelayedTerminals;
class TerminalCycle;

// One account shown by two relayed terminals that go to one trade system is
// relayed by one of them only: the first to read its log relays it, and
// keeps it while its expert writes; the others wait. Whoever starts to relay
// the account takes up the newest record of what was reported for it, so a
// change of hands neither reports an event again nor loses one.

// A holder whose log has not changed since this terminal's log did, that
// long ago, has fallen silent (its terminal was closed, say): it is passed over.
inline constexpr std::uint64_t kSilentHolderMs = 5000;

// The other terminal that relays this one's account to its trade system, if any.
const TerminalCycle* accountHolder(const RelayedTerminals& terminals, const TerminalCycle& me, std::uint64_t now);

// The other terminals that show this terminal's account and go to its trade system.
std::vector<const TerminalCycle*> sharingAccount(const RelayedTerminals& terminals, const TerminalCycle& me);

}  // namespace kv
