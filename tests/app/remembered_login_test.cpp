#include <gtest/gtest.h>

#include "account/store/remembered_login.h"
#include "trader.h"

using app::ProgramRun;
using kv::platform::headless::HeadlessPlatform;

TEST(RememberedLogin, SplitFillsThreeFieldsAndSkipsTooShortEntries) {
    HeadlessPlatform hp;
    kv::FrmMainMdi main;
    kv::RememberedLogin r(hp.platform(), main);
    auto split = [&](const std::string& entry) {
        r.SplitLoginChkEntry(entry);
        return r.chkKind + "|" + r.chkValue + "|" + r.chkText;
    };
    EXPECT_EQ(split("1;1;x"), "1|1|x");
    EXPECT_EQ(split("1;abc"), "1|abc|abc");
    EXPECT_EQ(split("abc"), "abc|abc|abc");
    EXPECT_EQ(split("2;1;12 A;B7"), "2|1|12 A;B7");
    EXPECT_EQ(split("9"), "2|1|12 A;B7");
}

TEST(RememberedLogin, AddressAndBoxComeBackInTheNextRun) {
    HeadlessPlatform hp;
    app::install(hp);
    app::answerLogin(hp, "7;12;Alpha");
    auto loginWindow = [&](ProgramRun& run) {
        run.pick("mnuFlSi");
        return std::pair{run.on("frmLogin", "txtUser").text, run.on("frmLogin", "chklogin").value};
    };
    {
        ProgramRun first(hp);  // no LoginChk.dat yet: a single blank, no message
        EXPECT_EQ(loginWindow(first), (std::pair<std::string, int>{" ", 0}));
        EXPECT_TRUE(hp.messages.shown.empty());
        hp.windows.click("frmLogin", "cmdCancel");
        first.logIn(" trader@example.com", "secret", 1);
    }
    {
        ProgramRun second(hp);
        EXPECT_EQ(loginWindow(second), (std::pair<std::string, int>{"trader@example.com", 1}));
        hp.windows.click("frmLogin", "cmdCancel");
        second.logIn("trader@example.com", "secret", 0);
        EXPECT_EQ(hp.readFile("Data/LoginChk.dat"), "1;0; \r\n");
    }
    ProgramRun third(hp);
    EXPECT_EQ(loginWindow(third), (std::pair<std::string, int>{" ", 0}));
}

TEST(RememberedLogin, LoginEntryMovesBehindSystemEntriesAndRepeatedLoadsDouble) {
    HeadlessPlatform hp;
    app::install(hp);
    hp.writeFile("Data/LoginChk.dat", "1;1;old@example.com\r\n2;1;13 Beta7\r\n\r\n");
    app::answerLogin(hp, "7;12;Alpha;13;Beta");
    ProgramRun run(hp);
    run.pick("mnuflset");  // fills the login window without showing it
    EXPECT_TRUE(run.shows("frmSettings"));
    EXPECT_FALSE(run.shows("frmLogin"));
    hp.windows.click("frmSettings", "cmdCancel");
    run.logIn("new@example.com", "pw");
    // Only the first login entry is replaced; the login writes while the selection is open.
    EXPECT_EQ(hp.readFile("Data/LoginChk.dat"),
              "2;1;13 Beta7\r\n1;1;old@example.com\r\n2;1;13 Beta7\r\n1;1;new@example.com\r\n");
    EXPECT_TRUE(run.shows("FrmSys"));
}

TEST(RememberedLogin, LiveMenuSettingLeavesTheLoginWindowAlone) {
    HeadlessPlatform hp;
    app::install(hp);
    app::answerLogin(hp, "7;12;Alpha");
    ProgramRun run(hp);
    run.logIn("trader@example.com", "pw");
    run.pick("mnulvset");
    EXPECT_TRUE(run.shows("frmSettings"));
    EXPECT_FALSE(run.program.login().loaded());
    EXPECT_EQ(run.program.values().ceklist, std::vector<std::string>{"1;1;trader@example.com"});
}
