#include "relay/poll_cycle.h"

#include "relay/order_reporting.h"

namespace kv {

namespace {

// The flag is up while a cycle runs.
struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
};

}  // namespace

PollCycle::PollCycle(const platform::Platform& platform, RelayedTerminals& terminals)
    : platform_(platform), terminals_(terminals) {}

void PollCycle::tick() {
    // A cycle waits on no box, so no tick should come inside one; if one does, it is dropped.
    if (running_) return;
    Running running(running_);
    const std::size_t count = terminals_.count();
    const std::size_t start = firstTurn_++ % count;
    const std::uint64_t end = platform_.clock.steadyMilliseconds() + OrderReporter::kRequestTimeMs;
    for (std::size_t turn = 0; turn < count; ++turn) {
        const std::uint64_t now = platform_.clock.steadyMilliseconds();
        const std::uint64_t share = now >= end ? 0 : (end - now) / (count - turn);
        run((start + turn) % count, now + share);
    }
}

void PollCycle::tickTerminal(std::size_t index) {
    if (running_ || index >= terminals_.count()) return;
    Running running(running_);
    run(index, platform_.clock.steadyMilliseconds() + OrderReporter::kRequestTimeMs / terminals_.count());
}

void PollCycle::run(std::size_t index, std::uint64_t deadline) { terminals_.cycle(index).run(deadline, terminals_); }

bool PollCycle::leftEventsPending() const {
    for (std::size_t i = 0; i < terminals_.count(); ++i)
        if (terminals_.cycle(i).leftEventsPending()) return true;
    return false;
}

}  // namespace kv
