#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/terminal_site.h"
#include "relay/relay_switch.h"
#include "relay/shared_account.h"
#include "shell/tray_status.h"
#include "support/machine.h"

using namespace kvtest;

namespace {

// An order opened today in an account.
std::string order(const std::string& no, const std::string& state, const std::string& account) {
    std::string line = orderLine(no, state, "BUY", "20261205");
    return line.replace(line.find(";1001;"), 6, ";" + account + ";");
}

// The installed MT4 (terminal "A", the first) and other MT4 terminals, each
// in a folder of its own; the service acknowledges an order any of their logs shows.
struct Desk : Machine {
    explicit Desk(const std::string& reply = "7;12;Alpha;13;Beta;14;Gamma") {
        loginReply = reply;
        hp.service.answer = [this](const std::string& url) { return answer(url); };
        write("Data/TempInit.dat", "20261205\r\n");
        start();
    }

    Requests bySystem;                      // "13 SetTD 5", every event request of the run
    std::map<std::string, int> msPerRequest;  // how long a system's service takes to answer

    std::string folder(const std::string& name) const { return hp.root() + "\\" + name + "\\"; }
    std::string filesOf(const std::string& name) const {
        return name == "A" ? kFilesFolder : name + "/experts/files/";
    }
    std::string key(const std::string& name) { return kv::terminalKey(hp.text, folder(name), kv::MetaTrader::Four); }

    void add(const std::string& name, const std::string& systemId) {
        hp.makeFolder(filesOf(name));
        write(filesOf(name) + "systemorder.log", "");
        program().values().otherTerminals.push_back(
            {folder(name), kv::MetaTrader::Four, hp.root() + "\\" + name + "\\experts\\files", systemId});
        changed();
    }
    void remove(const std::string& name) {
        auto& others = program().values().otherTerminals;
        others.erase(std::find_if(others.begin(), others.end(), [&](const auto& t) { return t.folder == folder(name); }));
        changed();
    }
    // As the Terminals window does: the list saved, then the relay told.
    void changed() {
        std::string lines;
        for (const auto& t : program().values().otherTerminals) lines += t.systemId + "|MT4|" + t.folder + "\r\n";
        write("Data/Terminals.dat", lines);
        program().relay().terminalsChanged();
    }
    void orders(const std::string& name, const std::vector<std::string>& lines) {
        write(filesOf(name) + "systemorder.log", kv::platform::joinLines(lines));
    }
    void logInUnder(const std::string& system) {
        logIn();
        if (shows("FrmSys")) {
            hp.windows.type("FrmSys", "cmbsystem", system);
            hp.windows.click("FrmSys", "CmdProcced");
        }
    }
    // One poll interval; the events it sent, by system, sorted.
    Requests poll() {
        const std::size_t before = bySystem.size();
        hp.clock.steady += 1000;
        tick();
        Requests sent(bySystem.begin() + static_cast<long>(before), bySystem.end());
        std::sort(sent.begin(), sent.end());
        return sent;
    }
    int timesSent(const std::string& request) const {
        return static_cast<int>(std::count(bySystem.begin(), bySystem.end(), request));
    }

private:
    std::optional<std::string> answer(const std::string& url) {
        if (shortName(url) == "Login") return loginReply;
        const auto at = url.find("systemid=") + 9;
        const std::string system = url.substr(at, url.find('&', at) - at);
        bySystem.push_back(system + " " + shortName(url));
        hp.clock.steady += msPerRequest[system];
        const std::string no = pairValue(url, "orderno");
        for (const std::string name : {"A", "B", "C"}) {
            for (const auto& line : kv::platform::splitLines(read(filesOf(name) + "systemorder.log"), hp.text)) {
                const auto parts = line.find(";" + no + ";");
                if (parts == std::string::npos) continue;
                const auto from = parts + no.size() + 2;
                return refsvc::acknowledgement(no, line.substr(from, line.find(';', from) - from),
                                               url.find("/EditTD.do") != std::string::npos);
            }
        }
        return "unknown order";
    }
};

}  // namespace

TEST(SeveralTerminals, EachGoesToItsOwnSystemAndAFaultInOneHoldsUpNoOther) {
    Desk d;
    d.add("B", "13");
    d.add("C", "14");
    d.logInUnder("12 Alpha");
    d.orders("A", {order("1", "O1", "1001")});
    d.orders("B", {order("2", "O1", "2002")});
    d.orders("C", {order("3", "O1", "3003")});
    EXPECT_EQ(d.poll(), (Requests{"12 SetTD 1", "13 SetTD 2", "14 SetTD 3"}));
    // The first keeps its Data files; each other has its own.
    EXPECT_EQ(d.read("Data/TempInit.dat"), "20261205\r\n");
    EXPECT_EQ(d.read("Data/TempInit-" + d.key("B") + ".dat"), "20261205\r\n");
    EXPECT_TRUE(d.exists("Data/TempClose-" + d.key("C") + ".dat"));
    EXPECT_EQ(d.read("B/experts/files/manualorder.log"), "2;O;1\r\n");
    EXPECT_EQ(kv::platform::splitLines(d.activeLog(), d.hp.text).size(), 3u);

    // B's drive goes: told once, naming B; A and C go on.
    std::filesystem::remove_all(d.hp.path("B"));
    d.orders("A", {order("1", "O1", "1001"), order("4", "O1", "1001")});
    d.orders("C", {order("3", "O1", "3003"), order("5", "O1", "3003")});
    EXPECT_EQ(d.poll(), (Requests{"12 SetTD 4", "14 SetTD 5"}));
    EXPECT_EQ(d.poll(), Requests{});
    ASSERT_EQ(d.messages(), 1);
    EXPECT_EQ(d.hp.messages.shown[0].text.find("MT4 B (" + d.folder("B") + "): File SystemOrder.log not found in " +
                                               d.hp.root() + "\\B\\experts\\files."),
              0u)
        << d.hp.messages.shown[0].text;
    kv::StatusFacts facts;
    facts.login = kv::LoginState::LoggedIn;
    facts.email = "trader@example.com";
    facts.terminals = 3;
    facts.relay = d.program().module().relayFacts;
    auto tray = kv::trayStatus(facts, d.hp.clock.current, d.hp.clock);
    EXPECT_EQ(tray.tip, "Korvane - Vantor\nReporting for trader@example.com: 2 of 3 terminals\nMT4 B: order log not found");
    EXPECT_EQ(tray.look, kv::platform::TrayLook::Attention);
    // A long name keeps the tip within what the notification area shows.
    facts.relay.terminals[d.key("B")].label = "MT4 " + std::string(200, 'b');
    EXPECT_LE(kv::trayStatus(facts, d.hp.clock.current, d.hp.clock).tip.size(), 127u);

    // Back, with an order opened while it was gone.
    d.hp.makeFolder("B/experts/files");
    d.orders("B", {order("2", "O1", "2002"), order("6", "O1", "2002")});
    d.write("B/experts/files/manualorder.log", "2;O;1\r\n");
    EXPECT_EQ(d.poll(), Requests{"13 SetTD 6"});
    EXPECT_FALSE(d.hp.messages.modeless);

    // Beta's service takes 700 ms a request: Alpha's and Gamma's orders still go at every tick.
    d.msPerRequest["13"] = 700;
    for (int round = 0; round < 3; ++round) {
        const std::string a = std::to_string(100 + round), c = std::to_string(200 + round);
        d.orders("A", {order("1", "O1", "1001"), order("4", "O1", "1001"), order(a, "O1", "1001")});
        d.orders("C", {order("3", "O1", "3003"), order("5", "O1", "3003"), order(c, "O1", "3003")});
        d.orders("B", {order("2", "O1", "2002"), order("6", "O1", "2002"), order("7", "O2", "2002"),
                       order("8", "O2", "2002"), order("9", "O2", "2002")});
        const Requests sent = d.poll();
        EXPECT_TRUE(std::count(sent.begin(), sent.end(), "12 SetTD " + a)) << round;
        EXPECT_TRUE(std::count(sent.begin(), sent.end(), "14 SetTD " + c)) << round;
    }
    for (const char* no : {"7", "8", "9"}) EXPECT_EQ(d.timesSent(std::string("13 SetTD ") + no), 1) << no;

    // Removed, C is no longer relayed; its files stay.
    d.remove("C");
    d.orders("C", {order("3", "O1", "3003"), order("300", "O1", "3003")});
    EXPECT_EQ(d.poll(), Requests{});
    EXPECT_TRUE(d.exists("C/experts/files/manualorder.log"));
    EXPECT_TRUE(d.exists("Data/TempClose-" + d.key("C") + ".dat"));
}

// The account is reported by the terminal that reported it so far while its
// expert writes; a change of hands, a restart of the program or of a
// terminal reports nothing again and loses nothing.
TEST(SeveralTerminals, OneAccountInTwoTerminalsIsReportedOnceWhoeverReportsIt) {
    Desk d("7;12;Alpha;13;Beta");
    d.add("B", "12");
    d.logInUnder("12 Alpha");
    std::vector<std::string> account{order("1", "O1", "1001"), order("2", "O1", "1001")};
    auto both = [&] {
        d.orders("A", account);
        d.orders("B", account);
    };
    both();
    EXPECT_EQ(d.poll(), (Requests{"12 SetTD 1", "12 SetTD 2"}));
    ASSERT_EQ(d.messages(), 1);
    EXPECT_NE(d.hp.messages.shown[0].text.find("It shows account 1001, as MT4 MT4 does"), std::string::npos)
        << d.hp.messages.shown[0].text;
    account.push_back(order("3", "O1", "1001"));
    both();
    EXPECT_EQ(d.poll(), Requests{"12 SetTD 3"});

    // A's terminal is closed, its log left behind: B takes the account over once A has been silent a while.
    account.push_back(order("4", "O1", "1001"));
    d.orders("B", account);
    EXPECT_EQ(d.poll(), Requests{});
    d.hp.clock.steady += kv::kSilentHolderMs;
    d.poll();  // takes up A's record
    EXPECT_EQ(d.poll(), Requests{"12 SetTD 4"});
    // A comes back: B keeps the account.
    d.orders("A", account);
    EXPECT_EQ(d.poll(), Requests{});

    // The program restarts: A, listed first, looks first, and reports from B's newer record.
    d.kill();
    d.start();
    d.logInUnder("12 Alpha");
    account.push_back(order("5", "O1", "1001"));
    both();
    for (int cycle = 0; cycle < 3; ++cycle) d.poll();
    // A's log goes: B reports at once, from A's record.
    std::remove(d.hp.path(d.filesOf("A") + "systemorder.log").c_str());
    account.push_back(order("6", "O1", "1001"));
    d.orders("B", account);
    for (int cycle = 0; cycle < 3; ++cycle) d.poll();
    // B is removed while it reports: A, back, takes up its record.
    d.remove("B");
    account[0] = order("1", "O2", "1001");
    both();
    for (int cycle = 0; cycle < 3; ++cycle) d.poll();
    EXPECT_EQ(d.timesSent("12 EditTD 1"), 1);
    for (const char* no : {"1", "2", "3", "4", "5", "6"})
        EXPECT_EQ(d.timesSent(std::string("12 SetTD ") + no), 1) << no;

    // Going to another trade system, B reports the account there too.
    d.add("B", "13");
    both();
    EXPECT_EQ(d.poll().size(), account.size());  // opened today: new to Beta
    account.push_back(order("7", "O1", "1001"));
    both();
    EXPECT_EQ(d.poll(), (Requests{"12 SetTD 7", "13 SetTD 7"}));
}

TEST(SeveralTerminals, ATradeSystemGoneAtTheNextLoginHoldsBackOnlyItsTerminal) {
    Desk d("7;12;Alpha;13;Beta");
    d.add("B", "13");
    d.add("C", "");  // none of its own yet: the login's
    d.logInUnder("12 Alpha");
    d.orders("B", {order("2", "O1", "2002")});
    d.orders("C", {order("3", "O1", "3003")});
    EXPECT_EQ(d.poll(), (Requests{"12 SetTD 3", "13 SetTD 2"}));

    d.loginReply = "7;12;Alpha";
    d.pick("mnulvSo");
    d.logInUnder("12 Alpha");
    d.orders("A", {order("1", "O1", "1001")});
    d.orders("B", {order("2", "O1", "2002"), order("4", "O1", "2002")});
    EXPECT_EQ(d.poll(), Requests{"12 SetTD 1"});
    EXPECT_EQ(d.poll(), Requests{});
    ASSERT_EQ(d.messages(), 1);
    EXPECT_NE(d.hp.messages.shown[0].text.find("MT4 B (" + d.folder("B") + "): Its orders go to trade system 13"),
              std::string::npos);
    EXPECT_EQ(d.program().relay().describe(1), "Waiting: its trade system 13 is not one this login lists. Choose another.");

    // Given Alpha, B's waiting order goes there.
    d.program().values().otherTerminals[0].systemId = "12";
    d.program().relay().terminalsChanged();
    EXPECT_EQ(d.poll(), Requests{"12 SetTD 4"});
    EXPECT_FALSE(d.hp.messages.modeless);
}

// An install from before several terminals: its files are read and kept as they are, and no new one appears.
TEST(SeveralTerminals, AnOldSingleTerminalDataFolderReadsBackUnchanged) {
    Machine m;
    m.write("Data/TempInit.dat", "20261205\r\n");
    m.write("Data/TempClose.dat", "8;O;3\r\n");
    m.writeOrders({orderLine("9", "O2"), orderLine("8", "X3")});
    m.writeKnown({"9;O;2"});
    auto dataFiles = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m.hp.path("Data")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    m.start();
    m.logIn();
    const auto before = dataFiles();
    for (int cycle = 0; cycle < 3; ++cycle) EXPECT_EQ(m.cycle(), Requests{});
    EXPECT_EQ(dataFiles(), before);
    EXPECT_EQ(std::count_if(before.begin(), before.end(), [](const auto& n) { return n.find('-') != std::string::npos; }), 0);
    EXPECT_FALSE(m.exists("Data/Terminals.dat"));
    EXPECT_TRUE(m.stateFilesAre("9;O;2\r\n", "8;O;3\r\n"));
    EXPECT_EQ(m.read("Data/TempInit.dat"), "20261205\r\n");
}
