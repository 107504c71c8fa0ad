#include <gtest/gtest.h>

#include "shell/tray_status_watch.h"
#include "support/machine.h"

using namespace kvtest;
using namespace std::chrono_literals;

namespace {

constexpr const char* kLive = "Roaming/MetaQuotes/Terminal/D1/MQL4/Files/";

// The relay of an MT4 folder whose expert writes, or will write, into a data folder.
struct Following : Machine {
    Following() {
        spoil = [](const std::string& url, const std::string&) { return pairValue(url, "orderno") + ";O1\n"; };
        write("Data/TempInit.dat", "20261205\r\n");
        std::remove(hp.path(orderFile("systemorder.log")).c_str());
        start();
        logIn();
    }
    void expertWritesLive(const std::vector<std::string>& lines, std::chrono::seconds ago = 0s) {
        hp.writeFile("Roaming/MetaQuotes/Terminal/D1/origin.txt", hp.root() + "\\MT4");
        hp.writeFile(std::string(kLive) + "systemorder.log", kv::platform::joinLines(lines));
        hp.setWriteTime(std::string(kLive) + "systemorder.log", hp.clock.utc - ago);
    }
    bool readsLive() { return program().values().pathname1.ends_with("D1\\MQL4\\Files"); }
};

const std::vector<std::string> kLiveOrders{
    orderLine("5", "O1", "BUY", "20261205"),  // opened on the login date: new
    orderLine("6", "O1", "BUY", "20261130"),  // open before it: taken as known
};

}  // namespace

// The first day: the expert just put in has not run yet. The tip says what to do, no box does.
TEST(FilesFolderMove, ExpertAttachedAfterTheStartIsFoundWithoutABoxBefore) {
    Following r;
    r.tick();
    r.program().trayStatus().refresh();
    EXPECT_EQ(r.hp.tray.tip, "Korvane - Vantor\nReporting for trader@example.com under Alpha\n"
                             "Drag KorvaneVantor onto one chart in MT4");
    EXPECT_EQ(r.hp.tray.look, kv::platform::TrayLook::Attention);

    r.expertWritesLive(kLiveOrders);
    EXPECT_EQ(r.cycle(), Requests{});
    EXPECT_TRUE(r.readsLive());
    EXPECT_EQ(r.hp.folderWatch.watched(), std::vector<std::string>{r.program().values().pathname1});
    EXPECT_EQ(r.cycle(), Requests{"SetTD 5"});
    EXPECT_EQ(r.messages(), 0);
    EXPECT_EQ(r.hp.readFile(std::string(kLive) + "manualorder.log"), "6;O;1\r\n5;O;1\r\n");
}

TEST(FilesFolderMove, AStaleLegacyLogIsLeftOnceAMinuteForTheLiveOne) {
    Following r;
    r.writeOrders({orderLine("7", "O1")});
    r.writeKnown({"7;O;1"});
    r.hp.setWriteTime(Machine::orderFile("systemorder.log"), r.hp.clock.utc - 900h);
    EXPECT_EQ(r.cycle(), Requests{});

    r.expertWritesLive(kLiveOrders);
    EXPECT_EQ(r.cycle(), Requests{});  // looked at once a minute only
    EXPECT_FALSE(r.readsLive());
    r.hp.clock.utc += 61s;
    r.expertWritesLive(kLiveOrders, 2s);
    EXPECT_EQ(r.cycle(), Requests{"SetTD 5"});
    EXPECT_TRUE(r.readsLive());
    EXPECT_EQ(r.known(), "7;O;1\r\n");  // the old folder's record is left as it was
}
