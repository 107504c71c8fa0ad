#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

TEST(Menus, LogoutStopsTheRelayAndLoggingInAgainKeepsTheTables) {
    Machine m;
    m.writeOrders({orderLine("55", "O1", "BUY", "20261205")});
    m.start();
    m.logIn("trader@example.com", "pw");
    EXPECT_EQ(m.cycle(), Requests{"SetTD 55"});

    m.pick("mnulvSo");
    EXPECT_EQ(m.program().values().swlogin, 0);
    EXPECT_FALSE(m.tick());

    auto& manual = m.program().manual();
    const auto tables = manual.manuallist;
    m.write("Data/TempInit.dat", "19990101\r\n");  // a rebuild would now change the tables
    m.logIn("trader@example.com", "pw");
    EXPECT_TRUE(m.program().mytimer().enabled());
    EXPECT_EQ(manual.manuallist, tables);
    EXPECT_EQ(m.read("Data/TempInit.dat"), "19990101\r\n");
    EXPECT_TRUE(m.hp.messages.shown.empty());
}

// A window the trader minimized comes back when its menu item is picked again.
TEST(Menus, SettingAndLoginRestoreTheirMinimizedWindow) {
    Machine m;
    m.start();
    for (const auto& [item, window] : {std::pair{"mnuflset", "frmSettings"}, {"mnuFlSi", "frmLogin"}}) {
        m.pick(item);
        m.hp.windows.windows[window].state = kv::platform::WindowState::Minimized;
        m.pick(item);
        EXPECT_EQ(m.hp.windows.windows[window].state, kv::platform::WindowState::Normal) << item;
    }
}

TEST(Menus, ExitFromEitherMenuStopsTheRelayAndRecordsTheRun) {
    Machine m;
    for (bool loggedIn : {false, true}) {
        SCOPED_TRACE(loggedIn);
        m.hp.clock.current = {2026, 12, 5, 9, 14, 3};
        m.start();
        if (loggedIn) {
            m.logIn("trader@example.com", "pw");
            m.program().module().reportCounter = 12;
        }
        m.hp.clock.current = {2026, 12, 5, 17, 40, 0};
        m.pick(loggedIn ? "mnulvex" : "mnuflex");
        EXPECT_FALSE(m.program().mytimer().enabled());
        EXPECT_FALSE(m.program().manual().loaded());
        EXPECT_TRUE(m.hp.messages.shown.empty());
    }
    // Two runs, two lines, the older first.
    EXPECT_EQ(m.read("Data/Active.dat"),
              "12/5/2026 start time =  end time = 5:40:00 PM Counter Activelog =  0\r\n"
              "12/5/2026 start time = 9:14:03 AM end time = 5:40:00 PM Counter Activelog =  12\r\n");
}

TEST(Menus, ExitDiscardsOpenWindowsWithoutTheirCloseSteps) {
    Machine first(false);  // a first run left at its settings window
    first.write("Data/Settings.dat", "C:\\MT4\\\r\n");
    first.start();
    first.pick("mnuflex");
    EXPECT_FALSE(first.exists("Data/Install.dat"));
    EXPECT_FALSE(first.shows("frmLogin"));

    Machine m;  // the selection left open
    m.loginReply = "7;12;Alpha;13;Beta";
    m.start();
    m.logIn("trader@example.com", "pw");
    const std::string remembered = m.read("Data/LoginChk.dat");
    m.pick("mnuflex");
    EXPECT_EQ(m.read("Data/LoginChk.dat"), remembered);
    EXPECT_FALSE(m.shows("FrmSys"));
}

TEST(Menus, UnwritableActivityRecordIsToldAndTheProgramStillEnds) {
    Machine m;
    m.files.refuseWrites("Active.dat");
    m.start();
    m.pick("mnuflex");
    EXPECT_TRUE(m.told("Data\\Active.dat"));
    EXPECT_FALSE(m.hp.tray.present);
    EXPECT_TRUE(m.hp.process.ended);
}
