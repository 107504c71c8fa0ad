#include <gtest/gtest.h>

#include "shell/service_host.h"
#include "support/machine.h"

using kv::platform::MessageIcon;
using kv::platform::WindowState;
using namespace kvtest;

// The message, the files and the hand-over are also seen under Wine; here what it cannot show.
TEST(FirstRun, LocateMessageThenOneSettingsWindowThenSaveHandsOverToLogin) {
    Machine m(false);
    bool settingsUpDuringMessage = true;
    m.hp.messages.whileModal = [&](const auto&) { settingsUpDuringMessage = m.hp.windows.isVisible("frmSettings"); };
    m.start();
    ASSERT_EQ(m.hp.messages.shown.size(), 1u);
    EXPECT_EQ(m.hp.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_FALSE(settingsUpDuringMessage);
    EXPECT_EQ(m.hp.tray.tip, "Korvane - Vantor\nNot logged in");
    EXPECT_EQ(m.hp.windows.windows["FrmMainMdi"].state, WindowState::Minimized);
    EXPECT_EQ(m.hp.windows.windows["frmSettings"].timesCentred, 1);  // one window, shown twice

    m.hp.windows.type("frmSettings", "mt4location", "C:\\Program Files\\Broker\\terminal.exe");
    m.hp.windows.click("frmSettings", "cmdSave");
    EXPECT_EQ(m.program().values().pathname1, "C:\\Program Files\\Broker\\experts\\files");
    EXPECT_TRUE(m.shows("frmLogin"));
}

TEST(FirstRun, KnownFolderOpensSettingsSilentlyAndAnyCloseHandsOverOnce) {
    for (bool byCloseBox : {false, true}) {
        SCOPED_TRACE(byCloseBox);
        Machine m(false);
        m.write("Data/Settings.dat", "C:\\MT4\\\r\n");
        m.start();
        EXPECT_TRUE(m.hp.messages.shown.empty());
        EXPECT_EQ(m.on("frmSettings", "mt4location").text, "C:\\MT4\\terminal.exe");
        byCloseBox ? m.hp.windows.closeBox("frmSettings") : m.hp.windows.click("frmSettings", "cmdCancel");
        EXPECT_EQ(m.read("Data/Install.dat"), "\r\n");
        EXPECT_TRUE(m.shows("frmLogin"));
        m.pick("mnuflset");
        m.hp.windows.closeBox("frmSettings");
        EXPECT_EQ(m.hp.windows.windows["frmLogin"].timesShown, 1);
    }
}

TEST(LaterRun, FirstFolderLineIsTakenAndTheTimerSetButOff) {
    Machine m(false);
    m.write("Data/Settings.dat", "C:\\MT4\r\nD:\\Other\\\r\n");  // no backslash is added
    m.write("Data/Install.dat", "");                            // any content counts
    m.start();
    EXPECT_EQ(m.program().values().pathname, "C:\\MT4");
    EXPECT_EQ(m.program().values().pathname1, "C:\\MT4experts\\files");
    EXPECT_EQ(m.program().mytimer().interval(), 1000u);
    EXPECT_FALSE(m.program().mytimer().enabled());
    EXPECT_FALSE(m.program().manual().loaded());

    Machine empty(false);  // a file without a first line
    empty.write("Data/Settings.dat", "");
    empty.write("Data/Install.dat", "\r\n");
    empty.start();
    ASSERT_EQ(empty.hp.messages.shown.size(), 1u);
    EXPECT_EQ(empty.hp.messages.shown[0].text,
              "Please locate your MT4 install folder now! For MT5, choose its terminal64.exe instead of terminal.exe.");
}

// A left click opens what the trader most likely wants: the login while logged out, then the settings.
TEST(Icon, ARightButtonPressOpensTheMenuOfTheLoginStateAndALeftClickAWindow) {
    Machine m;
    m.start();
    auto itemsOfLastMenu = [&] {
        std::vector<std::string> items;
        for (const auto& item : m.hp.menus.opened.back()) items.push_back(item.name + "=" + item.caption);
        return items;
    };
    m.program().iconCallback(516.4);
    EXPECT_EQ(itemsOfLastMenu(), (std::vector<std::string>{"mnuFlSi=&Login...", "mnuflset=&Setting...",
                                                            "mnuflterm=&Terminals...", "=-", "mnuflex=&Exit"}));
    EXPECT_EQ(m.program().values().swlogin, 0);
    m.program().iconCallback(514);
    EXPECT_EQ(m.on("frmLogin", "txtUser").text, "");  // empty, not a blank
    m.logIn("trader@example.com", "secret");
    m.pick("");
    EXPECT_EQ(itemsOfLastMenu(), (std::vector<std::string>{"mnulvSo=&Logout", "mnulvset=&Setting...",
                                                            "mnulvterm=&Terminals...", "=-", "mnulvex=&Exit"}));
    m.program().iconCallback(515);
    EXPECT_TRUE(m.shows("frmSettings"));
    EXPECT_FALSE(m.shows("FrmMainMdi"));
}

TEST(ServiceHost, OnlySchemeHostAndPortAreAccepted) {
    for (const char* good : {"http://localhost:8080", "https://api.example.com:8443", "http://10.0.0.2"})
        EXPECT_TRUE(kv::isServiceHost(good)) << good;
    for (const char* bad : {"ftp://example.com", "example.com", "http://", "http://example.com/",
                            "http://example.com/api", "http://example.com:", "http://example.com:0",
                            "http://example.com:65536", "http://exa mple.com", "http://-example.com",
                            "http://example..com", "http://user@example.com", "http://example.com?x=1"})
        EXPECT_FALSE(kv::isServiceHost(bad)) << bad;
}

TEST(ServiceHost, DataFileOverridesTheBuiltInAddressWhenValid) {
    struct Case {
        std::string file, host;
        bool told;
    };
    for (const Case& c : {Case{" https://api.example.com:8443 \r\nignored\r\n", "https://api.example.com:8443", false},
                          Case{"http://example.com/api\r\n", "http://localhost:8080", true},
                          Case{"\r\nhttp://second.line.example\r\n", "http://localhost:8080", false}}) {
        SCOPED_TRACE(c.file);
        Machine m;
        m.write("Data/Service.dat", c.file);
        m.start();
        EXPECT_EQ(m.hp.messages.shown.size(), c.told ? 1u : 0u);
        EXPECT_EQ(m.told("Data\\Service.dat"), c.told);
        m.logIn("a@b.c", "p");
        EXPECT_EQ(m.hp.service.requests.back(), c.host + "/LoginCheckAction.do?email=a@b.c&password=p");
    }
}
