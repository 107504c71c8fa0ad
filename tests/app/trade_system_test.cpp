#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

namespace {

// An installed program where the trader logs in and the service names several systems.
struct Selection : Machine {
    explicit Selection(const std::string& reply, const std::string& loginChk = {}) {
        if (!loginChk.empty()) hp.writeFile("Data/LoginChk.dat", loginChk);
        loginReply = reply;
        startAndLogIn();
    }
    void startAndLogIn() {
        start();
        logIn("trader@example.com", "pw");
    }
    kv::platform::Control& combo() { return on("FrmSys", "cmbsystem"); }
    kv::platform::Control& remember() { return on("FrmSys", "chksys"); }
    void choose(const std::string& text, int tick) {
        hp.windows.type("FrmSys", "cmbsystem", text);
        hp.windows.tick("FrmSys", "chksys", tick);
    }
};

}  // namespace

// Only what the service listed at this login: not a line added to the file, nor a remembered system it dropped.
TEST(TradeSystems, ItemsAreTheSystemsListedAtThisLogin) {
    Selection s("7;12;Scalper A;15;Swing;16;", "2;1;99 Gone7\r\n");
    EXPECT_EQ(s.hp.windows.windows["FrmSys"].timesCentred, 1);
    EXPECT_EQ(s.combo().items, (std::vector<std::string>{"12 Scalper A", "15 Swing", "16 "}));
    EXPECT_EQ(s.combo().text, "12 Scalper A");

    s.hp.windows.closeBox("FrmSys");
    s.write("Data/TempSyst.dat", "12;Scalper A\r\n99;Not mine\r\n");
    s.program().systems().showModeless();
    EXPECT_EQ(s.combo().items, std::vector<std::string>{"12 Scalper A"});
    EXPECT_TRUE(s.hp.messages.shown.empty());
}

TEST(TradeSystems, ProceedStartsTheRelayAndTheChoiceComesBackNextRun) {
    Selection s("7;12;Scalper A;15;Swing");
    s.choose("15 Swing", 1);
    s.hp.windows.click("FrmSys", "CmdProcced");
    EXPECT_TRUE(s.program().manual().loaded());
    EXPECT_EQ(s.hp.readFile("Data/LoginChk.dat"), "1;1;trader@example.com\r\n2;1;15 Swing7\r\n");

    s.startAndLogIn();
    EXPECT_EQ(s.combo().text, "15 Swing");
    EXPECT_EQ(s.remember().value, 1);
    // Closed unticked, without Proceed: remembered with 0, nothing starts.
    s.choose("15 Swing", 0);
    s.hp.windows.closeBox("FrmSys");
    EXPECT_EQ(s.hp.readFile("Data/LoginChk.dat"), "1;1;trader@example.com\r\n2;0;15 Swing7\r\n");
    EXPECT_EQ(s.program().values().swlogin, 0);
    EXPECT_FALSE(s.program().manual().loaded());

    s.startAndLogIn();
    EXPECT_EQ(s.combo().text, "12 Scalper A");
    EXPECT_EQ(s.remember().value, 0);
}

TEST(TradeSystems, EntriesOfUsersWithLongerIdsAreToldApart) {
    // Users 5 and 15 share the machine: both ids end in 5. A one-character id
    // is still matched by the last character alone, so user 5's entry comes first.
    const std::string both = "2;1;12 Scalper A5\r\n2;1;15 Swing15\r\n2;1;12 Scalper A5\r\n";
    Selection user5("5;12;Scalper A;15;Swing", both);
    EXPECT_EQ(user5.combo().text, "12 Scalper A");
    user5.hp.windows.closeBox("FrmSys");  // only his first entry is replaced, the others stay
    EXPECT_EQ(user5.hp.readFile("Data/LoginChk.dat"),
              "2;1;15 Swing15\r\n2;1;12 Scalper A5\r\n1;1;trader@example.com\r\n2;1;12 Scalper A5\r\n");

    Selection user15("15;12;Scalper A;15;Swing", both);
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(user15.combo().text, "15 Swing");
        EXPECT_EQ(user15.remember().value, 1);
        user15.hp.windows.closeBox("FrmSys");
        // His one entry is replaced at every close, never added again.
        EXPECT_EQ(user15.hp.readFile("Data/LoginChk.dat"),
                  "2;1;12 Scalper A5\r\n2;1;12 Scalper A5\r\n1;1;trader@example.com\r\n2;1;15 Swing15\r\n");
        user15.startAndLogIn();
    }
}

TEST(TradeSystems, RoundIdsAreStoredAsTheirDigits) {
    for (const std::string id : {"100000", "2500000"}) {
        Selection s(id + ";12;Scalper A;15;Swing");
        s.hp.windows.click("FrmSys", "CmdProcced");
        EXPECT_EQ(s.hp.readFile("Data/LoginChk.dat"), "1;1;trader@example.com\r\n2;0;12 Scalper A" + id + "\r\n");
    }
}

// A system the trader does not own never goes out: a text that is none of the items is refused.
TEST(TradeSystems, ProceedRefusesATypedSystemAndAnUnsavedChoiceStillStartsTheRelay) {
    Selection s("7;12;Scalper A;15;Swing");
    s.choose("99 Not mine", 0);
    s.hp.windows.click("FrmSys", "CmdProcced");
    EXPECT_TRUE(s.told("choose one of your trade systems"));
    EXPECT_TRUE(s.shows("FrmSys"));
    EXPECT_EQ(s.program().values().swlogin, 0);
    EXPECT_FALSE(s.program().mytimer().enabled());

    s.choose("15 Swing", 0);
    s.files.refuseWrites("LoginChk.dat");
    s.hp.windows.click("FrmSys", "CmdProcced");
    EXPECT_TRUE(s.told("Data\\LoginChk.dat"));
    EXPECT_EQ(s.program().values().swlogin, 1);
    EXPECT_EQ(s.program().module().systemId, "15");
}
