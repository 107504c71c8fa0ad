#pragma once
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "account/frm_login.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_file.h"
#include "reference_service/acknowledgement.h"
#include "relay/frm_manual.h"
#include "shell/program.h"
#include "support/faulty_file_system.h"

namespace kvtest {

using kv::platform::headless::HeadlessPlatform;
using Requests = std::vector<std::string>;

inline constexpr const char* kFilesFolder = "MT4/experts/files/";
inline constexpr double kRightButton = 516;
inline constexpr const char* kLoginReply = "7;12;Alpha";

// An order line of the expert: number, field 5, type and order date.
inline std::string orderLine(const std::string& no, const std::string& state, const std::string& type = "BUY",
                             const std::string& date = "20261204") {
    return date + ";f2;1001;" + no + ";" + state + ";" + type + ";EURUSD;0.10;1.1000;1.0950;1.1100;1.2000;5.5;1";
}

// UTF-16LE behind its byte-order mark, as MQL4 writes a file without FILE_ANSI.
inline std::string utf16WithMark(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) bytes += std::string{c, '\0'};
    return bytes;
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
    auto path = url.find('/', url.find("://") + 3);
    std::string name = url.substr(path + 1, url.find(".do?") - path - 1);
    if (name == "LoginCheckAction") return "Login";
    return name + " " + pairValue(url, "orderno");
}

// One trader's machine: program runs come and go, the disk (seen through a FaultyFileSystem)
// stays. The service answers as the real one does, unless `spoil` changes the answer.
class Machine {
public:
    // Installed: past the first run, the MT4 folder known and the marker written.
    explicit Machine(bool installed = true) {
        if (installed) {
            hp.writeFile("Data/Settings.dat", hp.root() + "\\MT4\\\r\n");
            hp.writeFile("Data/Install.dat", "\r\n");
            writeOrders({});  // the expert runs, with no orders yet
        }
        hp.makeFolder(kFilesFolder);
        hp.service.answer = [this](const std::string& url) { return answer(url); };
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    HeadlessPlatform hp;
    FaultyFileSystem files{hp.files};

    std::optional<std::string> loginReply = kLoginReply;  // nothing: no connection
    std::function<std::optional<std::string>(const std::string& url, const std::string& answer)> spoil;
    Requests sent;                                // event requests of the last cycle(), as "EditTD 9"
    std::map<std::string, int> acknowledgements;  // correct answers given, by "EditTD 9 O2"

    // A new process: nothing of the last one is on screen or in memory.
    void start() {
        forget();
        hp.messages.shown.clear();
        hp.menus.opened.clear();
        program_ = std::make_unique<kv::Program>(hp.platform(files));
        program_->start();
    }
    // The process is killed between two steps: no Exit, files as they are.
    void kill() { forget(); }
    bool running() const { return program_ != nullptr; }
    kv::Program& program() { return *program_; }

    // Logged in and relaying, the tables built today; the service's record starts after the login.
    void startRelaying(const std::vector<std::string>& orders = {}, const std::vector<std::string>& known = {}) {
        write("Data/TempInit.dat", "20261205\r\n");
        writeOrders(orders);
        if (!known.empty()) writeKnown(known);
        startLoggedIn();
    }
    void startLoggedIn() {
        start();
        logIn();
        hp.service.requests.clear();
    }

    // The Login command and dialog; true when the relay then runs.
    bool logIn(const std::string& email = "trader@example.com", const std::string& password = "secret",
               int remember = 1) {
        pick("mnuFlSi");
        hp.windows.type("frmLogin", "txtUser", email);
        hp.windows.type("frmLogin", "txtPass", password);
        hp.windows.tick("frmLogin", "chklogin", remember);
        hp.windows.click("frmLogin", "cmdLogin");
        return program_->values().swlogin == 1;
    }
    // A right-click on the icon and a pick from its menu (empty: a click elsewhere).
    void pick(const std::string& item) {
        hp.menus.picks.push_back(item);
        program_->iconCallback(kRightButton);
    }
    void exitProgram() {
        pick(program_->values().swlogin == 1 ? "mnulvex" : "mnuflex");
        forget();
    }

    // One elapsed poll interval; false when the timer is off.
    bool tick() { return mytimer().fire(); }
    // The folder watch heard the log written: the cycle asked for runs once its waits are over.
    // False when the relay was not watching.
    bool logWritten() {
        hp.folderWatch.change(program_->values().pathname1, "systemorder.log");
        bool ran = false;
        for (int wait = 0; wait < 3 && settleTimer().fire(); ++wait) ran = true;
        return ran;
    }
    kv::platform::headless::ManualTimer& mytimer() {
        return static_cast<kv::platform::headless::ManualTimer&>(program_->mytimer());
    }
    // The one-shot timer of a cycle asked for by a write, made right after mytimer.
    kv::platform::headless::ManualTimer& settleTimer() {
        auto& timers = hp.timers.timers;
        return **(std::find(timers.begin(), timers.end(), &mytimer()) + 1);
    }
    // One poll interval; the events it sent.
    Requests cycle() {
        sent.clear();
        hp.service.requests.clear();
        tick();
        return sent;
    }

    // A step of the trader or the timer; true when the program lived through it.
    bool survives(const std::function<void()>& step) {
        try {
            step();
            return true;
        } catch (const Killed&) {
            forget();
            return false;
        }
    }

    bool shows(const std::string& window) const { return hp.windows.isVisible(window); }
    kv::platform::Control& on(const std::string& window, const std::string& control) {
        return hp.windows.onScreen(window).control(control);
    }
    int messages() const { return static_cast<int>(hp.messages.shown.size()); }
    // Whether a box told this text (or a part of it).
    bool told(const std::string& text) const {
        for (const auto& m : hp.messages.shown)
            if (m.text.find(text) != std::string::npos) return true;
        return false;
    }

    // Files, by path relative to the exe folder.
    std::string read(const std::string& relative) const { return hp.readFile(relative); }
    void write(const std::string& relative, const std::string& bytes) const { hp.writeFile(relative, bytes); }
    bool exists(const std::string& relative) const { return hp.exists(relative); }
    std::string mt4Folder() const { return hp.root() + "\\MT4\\"; }  // as the settings window stores it
    static std::string orderFile(const std::string& name) { return std::string(kFilesFolder) + name; }
    void writeOrders(const std::vector<std::string>& lines) const {
        write(orderFile("systemorder.log"), kv::platform::joinLines(lines));
    }
    void writeKnown(const std::vector<std::string>& records) const {
        write(orderFile("manualorder.log"), kv::platform::joinLines(records));
    }
    std::string known() const { return read(orderFile("manualorder.log")); }
    std::string journal() const { return read("Data/TempClose.dat"); }
    std::string activeLog() const { return read("Data/Active.log"); }
    bool stateFilesAre(const std::string& knownRecords, const std::string& journalLines) const {
        return known() == knownRecords && journal() == journalLines;
    }
    // Active.log lines of this event ("CloseTD 9").
    int journaled(const std::string& event) {
        int lines = 0;
        for (const auto& line : kv::platform::splitLines(activeLog(), hp.text))
            lines += shortName(line.substr(1)) == event;
        return lines;
    }

private:
    void forget() {
        program_.reset();
        hp.windows.windows.clear();
        hp.timers.timers.clear();
    }

    std::optional<std::string> answer(const std::string& url) {
        if (shortName(url) == "Login") return loginReply;
        const std::string event = shortName(url);
        sent.push_back(event);
        const std::string no = pairValue(url, "orderno");
        std::string field5;
        for (const auto& line : kv::platform::splitLines(read(orderFile("systemorder.log")), hp.text)) {
            std::vector<std::string> f;
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, ';');) f.push_back(field);
            if (f.size() > 4 && f[3] == no) {
                field5 = f[4];
                break;
            }
        }
        const std::string correct = field5.empty() ? "unknown order"
                                                   : refsvc::acknowledgement(no, field5, event.starts_with("EditTD"));
        std::optional<std::string> reply = spoil ? spoil(url, correct) : correct;
        if (!field5.empty() && reply == correct) ++acknowledgements[event + " " + field5];
        return reply;
    }

    std::unique_ptr<kv::Program> program_;
};

}  // namespace kvtest
