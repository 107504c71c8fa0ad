#include "shell/program.h"

#include "account/frm_login.h"
#include "account/store/remembered_login.h"
#include "common/frm_main_mdi.h"
#include "common/notices.h"
#include "common/proses_write_mo.h"
#include "relay/frm_manual.h"
#include "relay/poll_cycle.h"
#include "relay/relay_switch.h"
#include "relay/relayed_terminals.h"
#include "settings/expert/expert_placement.h"
#include "settings/frm_settings.h"
#include "settings/frm_terminals.h"
#include "shell/main_window.h"
#include "shell/tray_status_watch.h"
#include "systems/frm_sys.h"

namespace kv {

// Declared in the order each part needs the ones before it.
struct Program::Parts {
    explicit Parts(const platform::Platform& platform)
        : notices(platform.messages),
          firstTerminal(values, module, 0, ""),
          manual(platform, values, module, firstTerminal, notices),
          expert(platform, firstTerminal),
          relayed(platform, values, module, notices, firstTerminal, manual, expert),
          poll(platform, relayed),
          relay(platform, values, module, manual, relayed, poll),
          remembered(platform, values),
          systems(platform, values, module, remembered, relay),
          login(platform, values, module, remembered, relay, systems),
          settings(platform, values, module, login, expert),
          terminals(platform, values, module, systems, relay, expert),
          mainWindow(platform, values, module, relay, manual, login, systems, settings, terminals, expert),
          trayStatus(platform, values, module, login) {}

    FrmMainMdi values;
    ProsesWriteMO module;
    Notices notices;  // the faults the poll cycle tells
    TerminalSite firstTerminal;  // the one pathname names
    FrmManual manual;
    ExpertPlacement expert;
    RelayedTerminals relayed;
    PollCycle poll;
    RelaySwitch relay;
    RememberedLogin remembered;
    FrmSys systems;
    FrmLogin login;
    FrmSettings settings;
    FrmTerminals terminals;
    MainWindow mainWindow;
    TrayStatusWatch trayStatus;
};

Program::Program(const platform::Platform& platform) : parts_(std::make_unique<Parts>(platform)) {}
Program::~Program() = default;

void Program::start() {
    parts_->mainWindow.start();
    parts_->trayStatus.start();
}
void Program::iconCallback(double x) { parts_->mainWindow.iconCallback(x); }
void Program::exitRequested() { parts_->mainWindow.mnuflex(); }

FrmMainMdi& Program::values() { return parts_->values; }
ProsesWriteMO& Program::module() { return parts_->module; }
MainWindow& Program::mainWindow() { return parts_->mainWindow; }
FrmLogin& Program::login() { return parts_->login; }
FrmSys& Program::systems() { return parts_->systems; }
FrmSettings& Program::settings() { return parts_->settings; }
FrmTerminals& Program::terminals() { return parts_->terminals; }
FrmManual& Program::manual() { return parts_->manual; }
platform::Timer& Program::mytimer() { return parts_->relay.mytimer(); }
TrayStatusWatch& Program::trayStatus() { return parts_->trayStatus; }
RelaySwitch& Program::relay() { return parts_->relay; }

}  // namespace kv
