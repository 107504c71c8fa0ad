#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/window.h"
#include "platform/platform.h"
#include "relay/relay_switch.h"
#include "settings/expert/expert_placement.h"
#include "settings/folders/installed_terminals.h"
#include "settings/terminals_file.h"
#include "systems/frm_sys.h"

namespace kv {

// Every terminal relayed, the trade system each goes to and how each is
// doing. The first is the Setting window's and is changed there; its system
// is the one chosen at login. The others are added from the terminals found
// on this PC or by Browse, each starting with the system chosen at this
// login, mapped to any system the service listed at this login, and removed.
// Every change is saved to Data\Terminals.dat at once and handed to the relay.
class FrmTerminals : public Window {
public:
    FrmTerminals(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmSys& systems,
                 RelaySwitch& relay, ExpertPlacement& expert);

    void onButton(const std::string& control) override;
    void onPick(const std::string& control) override;

protected:
    void createControls() override;
    void onLoad() override;
    void onUnload() override;

private:
    void showRelayed();
    void showFound();
    bool isRelayed(const std::string& folder) const;
    void showSelected();
    void showStatus();
    void addFound();
    void browse();
    bool add(const std::string& folder, MetaTrader kind);
    void remove();
    void mapSystem();
    void changed(std::size_t select);
    std::size_t selectedRow();
    std::string systemText(const std::string& systemId, bool first) const;

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    FrmSys& systems_;
    RelaySwitch& relay_;
    ExpertPlacement& expert_;
    TerminalsFile file_;
    std::unique_ptr<platform::Timer> statusLook_;  // keeps the status current while the window is open
    std::vector<InstalledTerminal> found_;         // as lstFound lists them
    std::vector<std::string> offered_;             // the systems listed at this login, "id name"
};

}  // namespace kv
