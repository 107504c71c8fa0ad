#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "platform/text_file.h"
#include "shell/base/frm_main_mdi.h"
#include "shell/base/proses_write_mo.h"
#include "shell/program.h"

namespace faults {

using kv::platform::FileError;
using kv::platform::headless::FileStep;
using kv::platform::headless::HeadlessPlatform;

// Thrown from a fault hook or from the service to stop the program dead, as
// a power cut or a killed process would: the program is then dropped without
// its Exit, and its files stay as they are.
struct Killed {};

inline constexpr const char* kFilesFolder = "MT4/experts/files/";
inline constexpr double kRightButton = 516;

// A trader's machine past its first run (MT4 folder known, marker written).
// Program runs come and go on it; the disk stays.
class Machine {
public:
    Machine() {
        hp.writeFile("Data/Settings.dat", hp.root() + "\\MT4\\\r\n");
        hp.writeFile("Data/Install.dat", "\r\n");
        hp.makeFolder(kFilesFolder);
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    HeadlessPlatform hp;

    // A new process: nothing of the last one is on screen or in memory.
    void start() {
        forget();
        program_ = std::make_unique<kv::Program>(hp.platform());
        program_->start();
    }
    bool running() const { return program_ != nullptr; }
    // The process is killed between two steps: no Exit, files as they are.
    void kill() { forget(); }
    kv::Program& program() { return *program_; }

    // The Login command, the trader's address and password, the Login button;
    // with several systems also Proceed on the one shown first. True when the
    // relay then runs.
    bool logIn() {
        pick("mnuFlSi");
        hp.windows.type("frmLogin", "txtUser", "trader@example.com");
        hp.windows.type("frmLogin", "txtPass", "secret");
        hp.windows.tick("frmLogin", "chklogin", 1);
        hp.windows.click("frmLogin", "cmdLogin");
        if (hp.windows.isVisible("FrmSys")) hp.windows.click("FrmSys", "CmdProcced");
        return program_->values().swlogin == 1;
    }
    void logOut() { pick("mnulvSo"); }
    void exitProgram() {
        pick(program_->values().swlogin == 1 ? "mnulvex" : "mnuflex");
        forget();
    }

    // One elapsed poll interval; false when the timer is off.
    bool tick() {
        auto* timer = static_cast<kv::platform::headless::ManualTimer*>(&program_->mytimer());
        return timer->fire();
    }

    // The expert wrote its log and the folder watch heard it: the cycle that
    // asks for runs once its settling wait, and the spacing after the last
    // cycle, are over. False when the relay was not watching.
    bool logWritten() {
        hp.folderWatch.change(program_->values().pathname1, "systemorder.log");
        // The settling timer is made right after mytimer, by the same owner.
        auto& timers = hp.timers.timers;
        const auto mytimer = std::find(timers.begin(), timers.end(), &program_->mytimer());
        kv::platform::headless::ManualTimer* settle = *std::next(mytimer);
        bool ran = false;
        for (int wait = 0; wait < 3 && settle->fire(); ++wait) ran = true;
        return ran;
    }

    // Runs a step of the trader or the timer; a Killed thrown inside ends the
    // process there. True when the program lived through it.
    bool survives(const std::function<void()>& step) {
        try {
            step();
            return true;
        } catch (const Killed&) {
            forget();
            return false;
        }
    }

    // Files, by path relative to the exe folder.
    std::string read(const std::string& relative) const { return hp.readFile(relative); }
    void write(const std::string& relative, const std::string& bytes) const { hp.writeFile(relative, bytes); }
    std::string orderFile(const std::string& name) const { return std::string(kFilesFolder) + name; }
    void writeOrders(const std::vector<std::string>& lines) const {
        write(orderFile("systemorder.log"), kv::platform::joinLines(lines));
    }
    std::string known() const { return read(orderFile("manualorder.log")); }
    std::string journal() const { return read("Data/TempClose.dat"); }
    std::string activeLog() const { return read("Data/Active.log"); }

    // A right-click on the icon and a pick from its menu.
    void pick(const std::string& item) {
        hp.menus.picks.push_back(item);
        program_->iconCallback(kRightButton);
    }

private:
    // Drops the program; the headless platform must not keep pointing at it.
    void forget() {
        program_.reset();
        hp.windows.windows.clear();
        hp.timers.timers.clear();
    }

    std::unique_ptr<kv::Program> program_;
};

inline const char* stepName(FileStep step) {
    switch (step) {
        case FileStep::Read: return "read";
        case FileStep::WriteTemporary: return "write";
        case FileStep::Rename: return "rename";
        case FileStep::Append: return "append";
    }
    return "?";
}

// An order line of the expert: number, field 5, type and order date.
inline std::string orderLine(const std::string& no, const std::string& state, const std::string& type = "BUY",
                             const std::string& date = "20261204") {
    return date + ";f2;1001;" + no + ";" + state + ";" + type + ";EURUSD;0.10;1.1000;1.0950;1.1100;1.2000;5.5;1";
}

// The value of one query pair of a request URL.
inline std::string pairValue(const std::string& url, const std::string& name) {
    auto at = url.find("&" + name + "=");
    if (at == std::string::npos) return {};
    at += name.size() + 2;
    return url.substr(at, url.find('&', at) - at);
}

// "SetTD 501" for a request, "Login" for the login.
inline std::string shortName(const std::string& url) {
    auto path = url.find('/', std::string("http://").size());
    std::string name = url.substr(path + 1, url.find(".do?") - path - 1);
    if (name == "LoginCheckAction") return "Login";
    return name + " " + pairValue(url, "orderno");
}

}  // namespace faults
