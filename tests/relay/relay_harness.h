#pragma once
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "relay/frm_manual.h"
#include "relay/poll_cycle.h"

// One trader's machine: the MT4 files folder, the Data folder, a service
// that acknowledges what the order log currently says, and the engine as a
// program run creates it. restart() is a new program run on the same disk.
class Relay {
public:
    static constexpr const char* kFiles = "MT4/experts/files/";
    static constexpr long kLoginDate = 20261205;

    explicit Relay(bool stampForLoginDate = true) {
        hp.makeFolder(kFiles);
        if (stampForLoginDate) hp.writeFile("Data/TempInit.dat", "20261205\r\n");
        hp.service.answer = [this](const std::string& url) { return acknowledgement(url); };
        restart();
    }

    void restart() {
        cycle.reset();
        manual.reset();
        main = kv::FrmMainMdi{};
        main.pathname1 = hp.root() + "\\MT4\\experts\\files";
        main.host = "http://svc";
        module = std::make_unique<kv::ProsesWriteMO>();
        module->systemId = "77";
        module->loginDate = kLoginDate;
        manual = std::make_unique<kv::FrmManual>(platform, main, *module);
        cycle = std::make_unique<kv::PollCycle>(platform, main, *module, *manual);
    }

    void tick() { cycle->tick(); }

    // Requests sent by the ticks, each shortened to its path and first pairs.
    std::vector<std::string> tickAndTakeRequests() {
        hp.service.requests.clear();
        tick();
        return sent();
    }
    std::vector<std::string> sent() const {
        std::vector<std::string> out;
        for (const std::string& url : hp.service.requests) out.push_back(shorten(url));
        return out;
    }

    void writeOrders(const std::vector<std::string>& lines) { hp.writeFile(std::string(kFiles) + "systemorder.log", join(lines)); }
    void writeKnown(const std::vector<std::string>& lines) { hp.writeFile(std::string(kFiles) + "manualorder.log", join(lines)); }
    std::string known() const { return hp.readFile(std::string(kFiles) + "manualorder.log"); }
    std::string journal() const { return hp.readFile("Data/TempClose.dat"); }
    std::string activeLog() const { return hp.readFile("Data/Active.log"); }

    static std::string join(const std::vector<std::string>& lines) {
        std::string out;
        for (const std::string& l : lines) out += l + "\r\n";
        return out;
    }

    // An order line with the given number, field 5, type and symbol.
    static std::string order(const std::string& no, const std::string& state, const std::string& type = "BUY",
                             const std::string& date = "20261204") {
        return date + ";f2;1001;" + no + ";" + state + ";" + type + ";EURUSD;0.10;1.1000;1.0950;1.1100;1.2000;5.5;1";
    }

    kv::platform::headless::HeadlessPlatform hp;
    kv::platform::Platform platform = hp.platform();
    kv::FrmMainMdi main;
    std::unique_ptr<kv::ProsesWriteMO> module;
    std::unique_ptr<kv::FrmManual> manual;
    std::unique_ptr<kv::PollCycle> cycle;

private:
    static std::string pair(const std::string& url, const std::string& name) {
        auto at = url.find("&" + name + "=");
        if (at == std::string::npos) return {};
        at += name.size() + 2;
        return url.substr(at, url.find('&', at) - at);
    }

    // "SetTD 501" and so on.
    static std::string shorten(const std::string& url) {
        auto path = url.find('/', std::string("http://").size());
        std::string name = url.substr(path + 1, url.find(".do?") - path - 1);
        return name + " " + pair(url, "orderno");
    }

    // Like the real service: the order number, ";", field 5 of the order's
    // line in the log, then "\n" (or "ok\n" for a modification).
    std::optional<std::string> acknowledgement(const std::string& url) const {
        std::string no = pair(url, "orderno");
        std::istringstream log(hp.readFile(std::string(kFiles) + "systemorder.log"));
        for (std::string line; std::getline(log, line, '\r');) {
            std::vector<std::string> f;
            std::istringstream fields(line.substr(!line.empty() && line[0] == '\n'));
            for (std::string v; std::getline(fields, v, ';');) f.push_back(v);
            if (f.size() > 4 && f[3] == no)
                return no + ";" + f[4] + (url.find("/EditTD.do?") != std::string::npos ? "ok\n" : "\n");
        }
        return "unknown order";
    }
};
