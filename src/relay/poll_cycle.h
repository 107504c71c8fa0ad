#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/proses_write_mo.h"
#include "platform/platform.h"
#include "relay/relayed_terminals.h"

namespace kv {

// A tick of the poll timer: each relayed terminal's cycle in turn. They
// share one second for requests, each taking an equal part of what is left
// and a different one going first each tick, so a slow or refusing service
// for one terminal's trade system never starves another's.
class PollCycle {
public:
    PollCycle(const platform::Platform& platform, RelayedTerminals& terminals);

    void tick();
    // Only the terminal whose expert has just written.
    void tickTerminal(std::size_t index);
    bool running() const { return running_; }
    // The last cycle of some terminal ran out of time for requests and left events to send.
    bool leftEventsPending() const;

private:
    void run(std::size_t index, std::uint64_t deadline);

    platform::Platform platform_;
    RelayedTerminals& terminals_;
    bool running_ = false;  // a tick that comes while a cycle runs is skipped
    std::size_t firstTurn_ = 0;
};

}  // namespace kv
