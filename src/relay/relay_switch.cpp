#include "relay/relay_switch.h"

namespace kv {

RelaySwitch::RelaySwitch(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                         FrmManual& manual, RelayedTerminals& terminals, PollCycle& poll)
    : main_(main), module_(module), manual_(manual), terminals_(terminals), cycles_(platform, terminals, poll) {}

void RelaySwitch::startUnder(const std::string& systemId) {
    module_.systemId = systemId;
    manual_.use();
    terminals_.reconcile();
    startpost();
    main_.swlogin = 1;
}

void RelaySwitch::terminalsChanged() {
    terminals_.reconcile();
    cycles_.follow();
}

std::string RelaySwitch::describe(std::size_t index) const {
    return index < terminals_.count() ? terminals_.describe(index) : std::string();
}

}  // namespace kv
