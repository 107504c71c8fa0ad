#include <gtest/gtest.h>

#include "shell/service_host.h"
#include "trader.h"

using app::ProgramRun;
using kv::platform::MessageIcon;
using kv::platform::WindowState;
using kv::platform::headless::HeadlessPlatform;

TEST(FirstRun, LocateMessageThenSettingsThenLoginWindow) {
    HeadlessPlatform hp;
    bool settingsShownDuringMessage = true;
    hp.messages.whileOpen = [&](const auto&) { settingsShownDuringMessage = hp.windows.isVisible("frmSettings"); };
    ProgramRun run(hp);

    ASSERT_EQ(hp.messages.shown.size(), 1u);
    EXPECT_EQ(hp.messages.shown[0].text, "Please locate your MT4 install folder now!");
    EXPECT_EQ(hp.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_FALSE(settingsShownDuringMessage);
    EXPECT_TRUE(hp.tray.present);
    EXPECT_EQ(hp.tray.tip, "Korvane - Vantor");
    EXPECT_FALSE(run.shows("FrmMainMdi"));
    EXPECT_EQ(hp.windows.windows["FrmMainMdi"].state, WindowState::Minimized);
    EXPECT_EQ(hp.windows.windows["FrmMainMdi"].form->caption, "Korvane Vantor");

    // One settings window, shown by the loader and again by the first-run test.
    ASSERT_TRUE(run.shows("frmSettings"));
    EXPECT_EQ(hp.windows.windows["frmSettings"].timesShown, 2);
    EXPECT_EQ(hp.windows.windows["frmSettings"].timesCentred, 1);
    EXPECT_EQ(hp.windows.windows["frmSettings"].state, WindowState::Normal);
    EXPECT_EQ(run.on("frmSettings", "mt4location").text, "terminal.exe");
    EXPECT_EQ(run.program.values().pathname, "");
    EXPECT_EQ(run.program.values().pathname1, "");
    EXPECT_FALSE(run.shows("frmLogin"));

    hp.windows.type("frmSettings", "mt4location", "C:\\Program Files\\Broker\\terminal.exe");
    hp.windows.click("frmSettings", "cmdSave");
    EXPECT_EQ(hp.readFile("Data/Settings.dat"), "C:\\Program Files\\Broker\\\r\n");
    EXPECT_EQ(run.program.values().pathname1, "C:\\Program Files\\Broker\\experts\\files");
    EXPECT_EQ(hp.readFile("Data/Install.dat"), "\r\n");
    EXPECT_FALSE(run.shows("frmSettings"));
    ASSERT_TRUE(run.shows("frmLogin"));
    EXPECT_EQ(hp.windows.windows["frmLogin"].form->caption, "Korvane - Vantor Login");
    EXPECT_EQ(hp.windows.windows["frmLogin"].timesCentred, 1);
    EXPECT_EQ(hp.messages.shown.size(), 1u);
}

TEST(FirstRun, KnownFolderOpensSettingsSilentlyAndAnyCloseHandsOver) {
    for (std::string close : {"cmdCancel", "closeBox"}) {
        SCOPED_TRACE(close);
        HeadlessPlatform hp;
        hp.writeFile("Data/Settings.dat", "C:\\MT4\\\r\n");
        {
            ProgramRun run(hp);
            EXPECT_TRUE(hp.messages.shown.empty());
            ASSERT_TRUE(run.shows("frmSettings"));
            EXPECT_EQ(run.on("frmSettings", "mt4location").text, "C:\\MT4\\terminal.exe");
            if (close == "closeBox")
                hp.windows.closeBox("frmSettings");
            else
                hp.windows.click("frmSettings", close);
            EXPECT_EQ(hp.readFile("Data/Install.dat"), "\r\n");
            EXPECT_TRUE(run.shows("frmLogin"));
            EXPECT_EQ(hp.readFile("Data/Settings.dat"), "C:\\MT4\\\r\n");

            // Later closes only close.
            run.pick("mnuflset");
            hp.windows.closeBox("frmSettings");
            EXPECT_EQ(hp.windows.windows["frmLogin"].timesShown, 1);
        }
        ProgramRun later(hp);
        EXPECT_TRUE(hp.messages.shown.empty());
        EXPECT_FALSE(later.shows("frmSettings"));
        EXPECT_FALSE(later.shows("frmLogin"));
    }
}

TEST(LaterRun, OnlyTheIconTimerSetButOff) {
    HeadlessPlatform hp;
    hp.writeFile("Data/Settings.dat", "C:\\Program Files\\Broker\\\r\nD:\\Other\\\r\n");
    hp.writeFile("Data/Install.dat", "");  // any content counts
    ProgramRun run(hp);
    EXPECT_TRUE(hp.messages.shown.empty());
    for (auto& [name, view] : hp.windows.windows) EXPECT_FALSE(view.visible) << name;
    EXPECT_TRUE(hp.tray.present);
    EXPECT_EQ(run.program.values().pathname, "C:\\Program Files\\Broker\\");
    EXPECT_EQ(run.program.values().pathname1, "C:\\Program Files\\Broker\\experts\\files");
    EXPECT_EQ(run.program.values().host, "http://localhost:8080");
    EXPECT_EQ(run.program.values().TimerInterval, "1000");
    EXPECT_EQ(run.program.mytimer().interval(), 1000u);
    EXPECT_FALSE(run.program.mytimer().enabled());
    EXPECT_FALSE(run.program.manual().loaded());
}

TEST(LaterRun, FolderLineIsTakenAsItStands) {
    struct Case {
        std::string settings, pathname, pathname1;
    };
    for (const Case& c : {Case{"C:\\MT4\r\n", "C:\\MT4", "C:\\MT4experts\\files"},
                          Case{"\r\n", "", "experts\\files"},
                          Case{"E:\\Trading\\MT4\\", "E:\\Trading\\MT4\\", "E:\\Trading\\MT4\\experts\\files"}}) {
        SCOPED_TRACE(c.settings);
        HeadlessPlatform hp;
        hp.writeFile("Data/Settings.dat", c.settings);
        hp.writeFile("Data/Install.dat", "\r\n");
        ProgramRun run(hp);
        EXPECT_TRUE(hp.messages.shown.empty());
        EXPECT_EQ(run.program.values().pathname, c.pathname);
        EXPECT_EQ(run.program.values().pathname1, c.pathname1);
    }
    // An empty file has no first line to read.
    HeadlessPlatform hp;
    hp.writeFile("Data/Settings.dat", "");
    hp.writeFile("Data/Install.dat", "\r\n");
    ProgramRun run(hp);
    ASSERT_EQ(hp.messages.shown.size(), 1u);
    EXPECT_EQ(hp.messages.shown[0].text, "Please locate your MT4 install folder now!");
    EXPECT_TRUE(run.shows("frmSettings"));
}

TEST(Icon, OnlyARightButtonPressOpensTheMenuOfTheLoginState) {
    HeadlessPlatform hp;
    app::install(hp);
    ProgramRun run(hp);
    for (double x : {512.0, 513.0, 514.0, 515.0, 517.0, 0.0}) run.program.iconCallback(x);
    EXPECT_TRUE(hp.menus.opened.empty());

    run.program.iconCallback(516.4);  // rounded to the message number
    ASSERT_EQ(hp.menus.opened.size(), 1u);
    std::vector<std::pair<std::string, std::string>> items;
    for (const auto& item : hp.menus.opened[0]) items.emplace_back(item.name, item.caption);
    EXPECT_EQ(items, (std::vector<std::pair<std::string, std::string>>{
                         {"mnuFlSi", "&Login "}, {"mnuflset", "&Setting"}, {"", "-"}, {"mnuflex", "&Exit"}}));
    EXPECT_EQ(run.program.values().swlogin, 0);
    for (auto& [name, view] : hp.windows.windows) EXPECT_FALSE(view.visible) << name;  // dismissed: nothing

    app::answerLogin(hp, "7;12;Alpha");
    run.logIn("trader@example.com", "secret");
    run.pick("");
    items.clear();
    for (const auto& item : hp.menus.opened.back()) items.emplace_back(item.name, item.caption);
    EXPECT_EQ(items, (std::vector<std::pair<std::string, std::string>>{
                         {"mnulvSo", "&Logout"}, {"mnulvset", "&Setting"}, {"", "-"}, {"mnulvex", "&Exit"}}));
    EXPECT_FALSE(run.shows("FrmMainMdi"));
}

TEST(ServiceHost, DataFileMayNameAnotherValidAddress) {
    EXPECT_TRUE(kv::isServiceHost("http://localhost:8080"));
    for (std::string good : {"http://api.example.com", "https://api.example.com:8443", "http://10.0.0.2:80",
                             "https://x-y.example"}) {
        SCOPED_TRACE(good);
        EXPECT_TRUE(kv::isServiceHost(good));
        HeadlessPlatform hp;
        app::install(hp);
        hp.writeFile("Data/Service.dat", "  " + good + " \r\nignored\r\n");
        ProgramRun run(hp);
        EXPECT_TRUE(hp.messages.shown.empty());
        EXPECT_EQ(run.program.values().host, good);
        app::answerLogin(hp, "0");
        run.logIn("a@b.c", "p");
        EXPECT_EQ(hp.service.requests.back(), good + "/LoginCheckAction.do?email=a@b.c&password=p");
    }
    for (std::string bad : {"ftp://example.com", "example.com", "http://", "http://example.com/",
                            "http://example.com/api", "http://example.com:", "http://example.com:0",
                            "http://example.com:65536", "http://exa mple.com", "http://-example.com",
                            "http://example..com", "http://user@example.com", "HTTP://example.com",
                            "http://example.com?x=1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(kv::isServiceHost(bad));
        HeadlessPlatform hp;
        app::install(hp);
        hp.writeFile("Data/Service.dat", bad + "\r\n");
        ProgramRun run(hp);
        ASSERT_EQ(hp.messages.shown.size(), 1u);
        EXPECT_NE(hp.messages.shown[0].text.find("Data\\Service.dat"), std::string::npos);
        EXPECT_NE(hp.messages.shown[0].text.find("http://localhost:8080 is used"), std::string::npos);
        EXPECT_EQ(run.program.values().host, "http://localhost:8080");
    }
    // No file or an empty first line: the built-in address without a word.
    HeadlessPlatform hp;
    app::install(hp);
    hp.writeFile("Data/Service.dat", "\r\nhttp://other.example\r\n");
    ProgramRun run(hp);
    EXPECT_TRUE(hp.messages.shown.empty());
    EXPECT_EQ(run.program.values().host, "http://localhost:8080");
}
