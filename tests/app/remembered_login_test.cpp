#include <gtest/gtest.h>

#include "account/store/remembered_login.h"
#include "support/machine.h"

using namespace kvtest;

TEST(RememberedLogin, SplitFillsThreeFieldsAndSkipsTooShortEntries) {
    Machine m;
    kv::FrmMainMdi main;
    kv::RememberedLogin r(m.hp.platform(), main);
    auto split = [&](const std::string& entry) {
        r.SplitLoginChkEntry(entry);
        return r.chkKind + "|" + r.chkValue + "|" + r.chkText;
    };
    EXPECT_EQ(split("1;abc"), "1|abc|abc");
    EXPECT_EQ(split("abc"), "abc|abc|abc");
    EXPECT_EQ(split("2;1;12 A;B7"), "2|1|12 A;B7");
    EXPECT_EQ(split("9"), "2|1|12 A;B7");
}

TEST(RememberedLogin, LoginEntryMovesBehindSystemEntriesAndRepeatedLoadsDouble) {
    Machine m;
    m.write("Data/LoginChk.dat", "1;1;old@example.com\r\n2;1;13 Beta7\r\n\r\n");
    m.loginReply = "7;12;Alpha;13;Beta";
    m.start();
    m.pick("mnuflset");  // fills the login window without showing it
    EXPECT_TRUE(m.shows("frmSettings"));
    EXPECT_FALSE(m.shows("frmLogin"));
    m.hp.windows.click("frmSettings", "cmdCancel");
    m.logIn("new@example.com", "pw");
    // Only the first login entry is replaced; the login writes while the selection is open.
    EXPECT_EQ(m.read("Data/LoginChk.dat"),
              "2;1;13 Beta7\r\n1;1;old@example.com\r\n2;1;13 Beta7\r\n1;1;new@example.com\r\n");
    EXPECT_TRUE(m.shows("FrmSys"));
}

// An unticked box forgets the address; the live Setting item does not load it again.
TEST(RememberedLogin, AnUntickedBoxForgetsTheAddressAndLiveSettingLeavesTheLoginWindowAlone) {
    Machine m;
    m.start();
    m.logIn("trader@example.com", "pw", 0);
    m.pick("mnulvset");
    EXPECT_TRUE(m.shows("frmSettings"));
    EXPECT_FALSE(m.program().login().loaded());
    EXPECT_EQ(m.program().values().ceklist, std::vector<std::string>{"1;0; "});
}
