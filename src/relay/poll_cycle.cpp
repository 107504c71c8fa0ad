#include "relay/poll_cycle.h"

namespace kv {

PollCycle::PollCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmManual& manual)
    : platform_(platform), main_(main), module_(module), manual_(manual) {}

void PollCycle::tick() { manual_.use(); }

}  // namespace kv
