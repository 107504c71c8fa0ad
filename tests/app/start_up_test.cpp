#include <gtest/gtest.h>

#include "shell/service_host.h"
#include "trader.h"

using app::ProgramRun;
using kv::platform::MessageIcon;
using kv::platform::WindowState;
using kv::platform::headless::HeadlessPlatform;

TEST(FirstRun, LocateMessageThenOneSettingsWindowThenSaveHandsOverToLogin) {
    HeadlessPlatform hp;
    bool settingsUpDuringMessage = true;
    hp.messages.whileOpen = [&](const auto&) { settingsUpDuringMessage = hp.windows.isVisible("frmSettings"); };
    ProgramRun run(hp);

    ASSERT_EQ(hp.messages.shown.size(), 1u);
    EXPECT_EQ(hp.messages.shown[0].text, "Please locate your MT4 install folder now!");
    EXPECT_EQ(hp.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_FALSE(settingsUpDuringMessage);
    EXPECT_TRUE(hp.tray.present);
    EXPECT_EQ(hp.tray.tip, "Korvane - Vantor\nNot logged in");
    EXPECT_FALSE(run.shows("FrmMainMdi"));
    EXPECT_EQ(hp.windows.windows["FrmMainMdi"].state, WindowState::Minimized);
    ASSERT_TRUE(run.shows("frmSettings"));
    EXPECT_EQ(hp.windows.windows["frmSettings"].timesCentred, 1);  // one window, shown twice
    EXPECT_EQ(run.on("frmSettings", "mt4location").text, "terminal.exe");
    EXPECT_EQ(run.program.values().pathname1, "");

    hp.windows.type("frmSettings", "mt4location", "C:\\Program Files\\Broker\\terminal.exe");
    hp.windows.click("frmSettings", "cmdSave");
    EXPECT_EQ(hp.readFile("Data/Settings.dat"), "C:\\Program Files\\Broker\\\r\n");
    EXPECT_EQ(run.program.values().pathname1, "C:\\Program Files\\Broker\\experts\\files");
    EXPECT_EQ(hp.readFile("Data/Install.dat"), "\r\n");
    EXPECT_FALSE(run.shows("frmSettings"));
    ASSERT_TRUE(run.shows("frmLogin"));
    EXPECT_EQ(hp.windows.windows["frmLogin"].form->caption, "Korvane - Vantor Login");
    EXPECT_EQ(hp.messages.shown.size(), 1u);
}

TEST(FirstRun, KnownFolderOpensSettingsSilentlyAndAnyCloseHandsOverOnce) {
    for (bool byCloseBox : {false, true}) {
        SCOPED_TRACE(byCloseBox);
        HeadlessPlatform hp;
        hp.writeFile("Data/Settings.dat", "C:\\MT4\\\r\n");
        {
            ProgramRun run(hp);
            EXPECT_TRUE(hp.messages.shown.empty());
            EXPECT_EQ(run.on("frmSettings", "mt4location").text, "C:\\MT4\\terminal.exe");
            byCloseBox ? hp.windows.closeBox("frmSettings") : hp.windows.click("frmSettings", "cmdCancel");
            EXPECT_EQ(hp.readFile("Data/Install.dat"), "\r\n");
            EXPECT_TRUE(run.shows("frmLogin"));
            run.pick("mnuflset");
            hp.windows.closeBox("frmSettings");
            EXPECT_EQ(hp.windows.windows["frmLogin"].timesShown, 1);
        }
        ProgramRun later(hp);
        EXPECT_TRUE(hp.messages.shown.empty());
        for (auto& [name, view] : hp.windows.windows) EXPECT_FALSE(view.visible) << name;
    }
}

TEST(LaterRun, OnlyTheIconFirstFolderLineTimerSetButOff) {
    HeadlessPlatform hp;
    hp.writeFile("Data/Settings.dat", "C:\\MT4\r\nD:\\Other\\\r\n");  // no backslash is added
    hp.writeFile("Data/Install.dat", "");                            // any content counts
    ProgramRun run(hp);
    EXPECT_TRUE(hp.messages.shown.empty());
    for (auto& [name, view] : hp.windows.windows) EXPECT_FALSE(view.visible) << name;
    EXPECT_EQ(run.program.values().pathname, "C:\\MT4");
    EXPECT_EQ(run.program.values().pathname1, "C:\\MT4experts\\files");
    EXPECT_EQ(run.program.values().host, "http://localhost:8080");
    EXPECT_EQ(run.program.mytimer().interval(), 1000u);
    EXPECT_FALSE(run.program.mytimer().enabled());
    EXPECT_FALSE(run.program.manual().loaded());

    HeadlessPlatform empty;  // a file without a first line
    empty.writeFile("Data/Settings.dat", "");
    empty.writeFile("Data/Install.dat", "\r\n");
    ProgramRun again(empty);
    ASSERT_EQ(empty.messages.shown.size(), 1u);
    EXPECT_EQ(empty.messages.shown[0].text, "Please locate your MT4 install folder now!");
}

TEST(Icon, OnlyARightButtonPressOpensTheMenuOfTheLoginState) {
    HeadlessPlatform hp;
    app::install(hp);
    app::answerLogin(hp, "7;12;Alpha");
    ProgramRun run(hp);
    for (double x : {512.0, 513.0, 514.0, 515.0, 517.0}) run.program.iconCallback(x);
    EXPECT_TRUE(hp.menus.opened.empty());

    auto itemsOfLastMenu = [&] {
        std::vector<std::string> items;
        for (const auto& item : hp.menus.opened.back()) items.push_back(item.name + "=" + item.caption);
        return items;
    };
    run.program.iconCallback(516.4);
    EXPECT_EQ(itemsOfLastMenu(), (std::vector<std::string>{"mnuFlSi=&Login ", "mnuflset=&Setting", "=-",
                                                            "mnuflex=&Exit"}));
    EXPECT_EQ(run.program.values().swlogin, 0);
    run.logIn("trader@example.com", "secret");
    run.pick("");
    EXPECT_EQ(itemsOfLastMenu(), (std::vector<std::string>{"mnulvSo=&Logout", "mnulvset=&Setting", "=-",
                                                            "mnulvex=&Exit"}));
    EXPECT_FALSE(run.shows("FrmMainMdi"));
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
        HeadlessPlatform hp;
        app::install(hp);
        hp.writeFile("Data/Service.dat", c.file);
        app::answerLogin(hp, "0");
        ProgramRun run(hp);
        EXPECT_EQ(hp.messages.shown.size(), c.told ? 1u : 0u);
        EXPECT_EQ(app::mentions(hp, "Data\\Service.dat"), c.told);
        run.logIn("a@b.c", "p");
        EXPECT_EQ(hp.service.requests.back(), c.host + "/LoginCheckAction.do?email=a@b.c&password=p");
    }
}
