#pragma once
#include <memory>
#include <string>

#include "account/frm_login.h"
#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/window.h"
#include "platform/platform.h"
#include "relay/frm_manual.h"
#include "relay/relay_switch.h"
#include "settings/expert/expert_placement.h"
#include "settings/frm_settings.h"
#include "settings/frm_terminals.h"
#include "systems/frm_sys.h"

namespace kv {

// The hidden main window: its load is the program's start-up; it owns the
// notification-area icon and the two menus the icon pops up.
class MainWindow : public Window {
public:
    MainWindow(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, RelaySwitch& relay,
               FrmManual& manual, FrmLogin& login, FrmSys& systems, FrmSettings& settings, FrmTerminals& terminals,
               ExpertPlacement& expert);

    void start() { use(); }

    // A mouse message over the icon: 516, the right button pressed, pops up
    // the menu that fits the login state; a left click or double click opens a window.
    void iconCallback(double x);

    // The File menu, while nobody is logged in.
    void mnuFlSi();   // Login
    void mnuflset();  // Setting
    void mnuflterm();  // Terminals
    void mnuflex();   // Exit
    // The Live menu, while a login is active.
    void mnulvSo();   // Logout
    void mnulvset();  // Setting
    void mnulvterm();  // Terminals
    void mnulvex();   // Exit

protected:
    void onLoad() override;
    void onUnload() override;

private:
    void readsettings();
    void writeactivity();
    void openSettings();
    void openTerminals();
    void openFromIcon();
    void exitProgram();

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    RelaySwitch& relay_;
    FrmManual& manual_;
    FrmLogin& login_;
    FrmSys& systems_;
    FrmSettings& settings_;
    FrmTerminals& terminals_;
    ExpertPlacement& expert_;
    std::unique_ptr<platform::Timer> expertLook_;
    FileWriter activityWriter_;
};

}  // namespace kv
