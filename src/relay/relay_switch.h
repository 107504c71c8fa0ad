#pragma once
#include <cstddef>
#include <string>

#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "platform/platform.h"
#include "relay/cycle_trigger.h"
#include "relay/frm_manual.h"
#include "relay/poll_cycle.h"
#include "relay/relayed_terminals.h"

namespace kv {

// The poll timer mytimer of the main window and the one way a login starts
// relaying, shared by the login and the trade system selection.
class RelaySwitch {
public:
    RelaySwitch(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmManual& manual,
                RelayedTerminals& terminals, PollCycle& poll);

    platform::Timer& mytimer() { return cycles_.mytimer(); }

    // Cycles run on the timer and on the experts' writes, or not at all.
    void startpost() { cycles_.start(); }
    void stop() { cycles_.stop(); }

    // Reports go under this system from now on: the order tables are loaded
    // (built only at their first load), the timer runs, the trader is logged in.
    void startUnder(const std::string& systemId);

    // The other terminals changed (the Terminals window saved them): each one
    // listed is relayed, one no longer listed stops; its files stay.
    void terminalsChanged();
    // How a terminal is doing, for the Terminals window: 0 is the first
    // (pathname), 1 the first of the others.
    std::string describe(std::size_t index) const;
    // Where its expert is, for the Terminals window.
    const ExpertPlacement& expert(std::size_t index) const { return terminals_.expert(index); }
    // The others' experts, once a minute.
    void lookAgainAtExperts() { terminals_.lookAgainAtExperts(); }

private:
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    FrmManual& manual_;
    RelayedTerminals& terminals_;
    CycleTrigger cycles_;
};

}  // namespace kv
