#pragma once
#include <optional>
#include <string>

#include "account/frm_login.h"
#include "platform/headless/headless_platform.h"
#include "relay/frm_manual.h"
#include "settings/frm_settings.h"
#include "shell/base/frm_main_mdi.h"
#include "shell/base/proses_write_mo.h"
#include "shell/main_window.h"
#include "shell/program.h"
#include "systems/frm_sys.h"

namespace app {

using kv::platform::headless::FileStep;
using kv::platform::headless::HeadlessPlatform;

inline constexpr double kRightButton = 516;

// The MT4 folder of the test installation, as the settings window stores it.
inline std::string mt4Folder(const HeadlessPlatform& hp) { return hp.root() + "\\MT4\\"; }

// A folder where the first run is over: the MT4 folder is known, the marker
// exists, and the expert has written an empty order log.
inline void install(HeadlessPlatform& hp) {
    hp.writeFile("Data/Settings.dat", mt4Folder(hp) + "\r\n");
    hp.writeFile("Data/Install.dat", "\r\n");
    hp.writeFile("MT4/experts/files/systemorder.log", "");
}

// The service answers every login with this reply (nothing: no connection).
inline void answerLogin(HeadlessPlatform& hp, std::optional<std::string> reply) {
    hp.service.answer = [reply](const std::string& url) -> std::optional<std::string> {
        if (url.find("/LoginCheckAction.do?") != std::string::npos) return reply;
        return std::nullopt;
    };
}

// Makes every write of the named Data file fail.
inline void refuseWrites(HeadlessPlatform& hp, const std::string& file) {
    hp.files.fault = [file](FileStep step, const std::string& path) {
        bool writing = step == FileStep::WriteTemporary || step == FileStep::Append;
        return writing && path.ends_with("/Data/" + file) ? kv::platform::FileError::AccessDenied
                                                          : kv::platform::FileError::None;
    };
}

inline bool mentions(const HeadlessPlatform& hp, const std::string& text) {
    for (const auto& m : hp.messages.shown)
        if (m.text.find(text) != std::string::npos) return true;
    return false;
}

// One run of the program over the platform's folder, started as the trader
// starts it, and what the trader does with it.
class ProgramRun {
public:
    explicit ProgramRun(HeadlessPlatform& platform) : hp(platform), program(platform.platform()) {
        // A new process: no windows on screen, no boxes seen yet.
        hp.windows.windows.clear();
        hp.messages.shown.clear();
        hp.menus.opened.clear();
        program.start();
    }

    HeadlessPlatform& hp;
    kv::Program program;

    // Right-click on the icon and pick a menu item (empty: click elsewhere).
    void pick(const std::string& item) {
        hp.menus.picks.push_back(item);
        program.iconCallback(kRightButton);
    }

    // The Login command, then the trader types and presses Login.
    void logIn(const std::string& email, const std::string& password, int remember = 1) {
        pick("mnuFlSi");
        hp.windows.type("frmLogin", "txtUser", email);
        hp.windows.type("frmLogin", "txtPass", password);
        hp.windows.tick("frmLogin", "chklogin", remember);
        hp.windows.click("frmLogin", "cmdLogin");
    }

    // One elapsed poll interval of the program's timer.
    static bool fire(kv::platform::Timer& timer) {
        return static_cast<kv::platform::headless::ManualTimer&>(timer).fire();
    }

    bool shows(const std::string& window) const { return hp.windows.isVisible(window); }
    kv::platform::Control& on(const std::string& window, const std::string& control) {
        return hp.windows.onScreen(window).control(control);
    }
};

}  // namespace app
