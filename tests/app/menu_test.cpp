#include <gtest/gtest.h>

#include "trader.h"

using app::ProgramRun;
using kv::platform::headless::HeadlessPlatform;

namespace {
const std::string kOrder = "20261205;x;1001;55;O1;BUY;EURUSD;0.1;1.1;0;0;0;0;1";
}

TEST(Menus, FreshInstallLoginRelaysLogoutStopsLoginAgainKeepsTheTables) {
    HeadlessPlatform hp;  // no TempInit.dat, LoginChk.dat or TempClose.dat yet
    app::install(hp);
    ProgramRun run(hp);
    app::answerLogin(hp, "7;12;Alpha");
    run.logIn("trader@example.com", "pw");
    EXPECT_EQ(hp.readFile("Data/TempInit.dat"), "20261205\r\n");

    hp.writeFile("MT4/experts/files/systemorder.log", kOrder + "\r\n");
    hp.service.answer = [](const std::string& url) -> std::optional<std::string> {
        if (url.find("/LoginCheckAction.do?") != std::string::npos) return "7;12;Alpha";
        return "55;O1\n";
    };
    auto& timer = run.program.mytimer();
    EXPECT_TRUE(ProgramRun::fire(timer));
    EXPECT_EQ(hp.service.requests.back().rfind("http://localhost:8080/SetTD.do?systemid=12&", 0), 0u);
    EXPECT_EQ(run.program.module().reportCounter, 1);

    run.pick("mnulvSo");
    EXPECT_EQ(run.program.values().swlogin, 0);
    run.pick("");
    EXPECT_EQ(hp.menus.opened.back().front().name, "mnuFlSi");
    const auto sent = hp.service.requests.size();
    EXPECT_FALSE(ProgramRun::fire(timer));
    EXPECT_EQ(hp.service.requests.size(), sent);

    auto& manual = run.program.manual();
    const auto tables = manual.manuallist;
    hp.writeFile("Data/TempInit.dat", "19990101\r\n");  // a rebuild would now change the tables
    run.logIn("trader@example.com", "pw");
    EXPECT_TRUE(timer.enabled());
    EXPECT_EQ(manual.manuallist, tables);
    EXPECT_EQ(hp.readFile("Data/TempInit.dat"), "19990101\r\n");
    EXPECT_TRUE(hp.messages.shown.empty());
}

TEST(Menus, ExitFromEitherMenuRemovesTheIconRecordsTheRunAndEnds) {
    HeadlessPlatform hp;
    app::install(hp);
    app::answerLogin(hp, "7;12;Alpha");
    for (bool loggedIn : {false, true}) {
        SCOPED_TRACE(loggedIn);
        hp.clock.current = {2026, 12, 5, 9, 14, 3};
        ProgramRun run(hp);
        if (loggedIn) {
            run.logIn("trader@example.com", "pw");
            run.program.module().reportCounter = 12;
        }
        hp.clock.current = {2026, 12, 5, 17, 40, 0};
        run.pick(loggedIn ? "mnulvex" : "mnuflex");
        EXPECT_FALSE(hp.tray.present);
        EXPECT_TRUE(hp.process.ended);
        EXPECT_FALSE(run.program.mytimer().enabled());
        EXPECT_FALSE(run.program.manual().loaded());
        EXPECT_TRUE(hp.messages.shown.empty());
    }
    // Two runs, two lines, the older first.
    EXPECT_EQ(hp.readFile("Data/Active.dat"),
              "12/5/2026 start time =  end time = 5:40:00 PM Counter Activelog =  0\r\n"
              "12/5/2026 start time = 9:14:03 AM end time = 5:40:00 PM Counter Activelog =  12\r\n");
}

TEST(Menus, ExitDiscardsOpenWindowsWithoutTheirCloseSteps) {
    HeadlessPlatform first;  // a first run left at its settings window
    first.writeFile("Data/Settings.dat", "C:\\MT4\\\r\n");
    ProgramRun installing(first);
    installing.pick("mnuflex");
    EXPECT_FALSE(first.exists("Data/Install.dat"));
    EXPECT_FALSE(installing.shows("frmLogin"));

    HeadlessPlatform hp;  // the selection left open
    app::install(hp);
    app::answerLogin(hp, "7;12;Alpha;13;Beta");
    ProgramRun run(hp);
    run.logIn("trader@example.com", "pw");
    const std::string remembered = hp.readFile("Data/LoginChk.dat");
    run.pick("mnuflex");
    EXPECT_EQ(hp.readFile("Data/LoginChk.dat"), remembered);
    EXPECT_FALSE(run.shows("FrmSys"));
}

TEST(Menus, UnwritableActivityRecordIsToldAndTheProgramStillEnds) {
    HeadlessPlatform hp;
    app::install(hp);
    app::refuseWrites(hp, "Active.dat");
    ProgramRun run(hp);
    run.pick("mnuflex");
    EXPECT_TRUE(app::mentions(hp, "Data\\Active.dat"));
    EXPECT_FALSE(hp.tray.present);
    EXPECT_TRUE(hp.process.ended);
}
