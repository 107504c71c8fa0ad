#include "relay/relay_switch.h"

namespace kv {

RelaySwitch::RelaySwitch(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                         FrmManual& manual, PollCycle& poll)
    : main_(main), module_(module), manual_(manual), cycles_(platform, main, poll) {}

void RelaySwitch::startUnder(const std::string& systemId) {
    module_.systemId = systemId;
    manual_.use();
    startpost();
    main_.swlogin = 1;
}


void RelaySwitch::terminalsChanged() {}

std::string RelaySwitch::describe(std::size_t) const { return {}; }

}  // namespace kv
