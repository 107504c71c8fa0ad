#pragma once
#include <memory>
#include <string>

#include "account/frm_login.h"
#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/window.h"
#include "platform/platform.h"
#include "settings/expert/expert_placement.h"

namespace kv {

// Where the terminal is installed: the trader names MT4's terminal.exe or MT5's
// terminal64.exe, the window keeps the folder before it in Data\Settings.dat. The first close on a
// new installation leaves the first-run marker Data\Install.dat and opens the
// login window. Its captions and both lines below the path follow the
// terminal named in the path box, so they always speak of the same one.
class FrmSettings : public Window {
public:
    FrmSettings(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmLogin& login,
                ExpertPlacement& expert);

    void onButton(const std::string& control) override;
    void onTextChange(const std::string& control) override;

protected:
    void createControls() override;
    void onLoad() override;
    void onUnload() override;

private:
    void browse();
    void save();
    void showChoice();

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    FrmLogin& login_;
    ExpertPlacement& expert_;
    std::unique_ptr<platform::Timer> lineLook_;  // keeps the lines current while the window is open
    FileWriter settingsWriter_;
    FileWriter installWriter_;
};

}  // namespace kv
