#include <gtest/gtest.h>

#include "account/percent_encoding.h"
#include "trader.h"

using app::ProgramRun;
using kv::platform::MessageIcon;
using kv::platform::headless::HeadlessPlatform;

namespace {

// An installed program whose Login command is open with an address and password typed.
struct LoginScreen {
    HeadlessPlatform hp;
    std::optional<ProgramRun> run;

    explicit LoginScreen(std::optional<std::string> reply) {
        app::install(hp);
        app::answerLogin(hp, std::move(reply));
        run.emplace(hp);
    }
    void logIn(const std::string& email = "trader@example.com", const std::string& password = "secret") {
        run->logIn(email, password);
    }
    kv::ProsesWriteMO& module() { return run->program.module(); }
    kv::FrmMainMdi& values() { return run->program.values(); }
};

}  // namespace

TEST(Login, OneSystemStartsRelayingAtOnce) {
    LoginScreen s("7;12;Alpha");
    s.hp.clock.current = {2026, 3, 9, 9, 14, 3};
    s.logIn();

    ASSERT_EQ(s.hp.service.requests.size(), 1u);
    EXPECT_EQ(s.hp.service.requests[0],
              "http://localhost:8080/LoginCheckAction.do?email=trader@example.com&password=secret");
    EXPECT_TRUE(s.hp.messages.shown.empty());
    EXPECT_EQ(s.module().userId, 7);
    EXPECT_EQ(s.hp.readFile("Data/TempSyst.dat"), "12;Alpha\r\n");
    EXPECT_EQ(s.run->program.login().cntsys, 1);
    EXPECT_EQ(s.module().systemId, "12");
    EXPECT_EQ(s.module().loginDate, 20260309);
    ASSERT_TRUE(s.module().loginTime.has_value());
    EXPECT_EQ(s.module().loginTime->hour, 9);
    EXPECT_EQ(s.module().loginTime->second, 3);
    EXPECT_TRUE(s.run->program.manual().loaded());
    EXPECT_TRUE(s.run->program.mytimer().enabled());
    EXPECT_EQ(s.values().swlogin, 1);
    EXPECT_FALSE(s.run->shows("frmLogin"));
    EXPECT_FALSE(s.run->shows("FrmSys"));
    EXPECT_EQ(s.hp.readFile("Data/LoginChk.dat"), "1;1;trader@example.com\r\n");
}

TEST(Login, SystemListsOfTheReply) {
    struct Case {
        std::string reply, tempSyst;
        int cntsys;
    };
    for (const Case& c : {Case{"7;12;Alpha;13;Beta;", "12;Alpha\r\n13;Beta\r\n", 2},
                          Case{"7;12;Alpha;13;Beta", "12;Alpha\r\n13;Beta\r\n", 2},
                          Case{"7;12;Alpha;13", "12;Alpha\r\n", 1},
                          Case{"7;12;Alpha;13;", "12;Alpha\r\n13;\r\n", 2},
                          Case{"7;12;Scalper; A;13;Swing", "12;Scalper\r\n A;13\r\n", 2},
                          Case{"7;12", "", 0}}) {
        SCOPED_TRACE(c.reply);
        LoginScreen s(c.reply);
        s.logIn();
        EXPECT_EQ(s.hp.readFile("Data/TempSyst.dat"), c.tempSyst);
        EXPECT_EQ(s.run->program.login().cntsys, c.cntsys);
        EXPECT_FALSE(s.run->shows("frmLogin"));
        EXPECT_EQ(s.run->shows("FrmSys"), c.cntsys >= 2);
        // Only a single system starts the relay from the login itself.
        EXPECT_EQ(s.values().swlogin, c.cntsys == 1 ? 1 : 0);
        EXPECT_EQ(s.run->program.mytimer().enabled(), c.cntsys == 1);
        EXPECT_EQ(s.run->program.manual().loaded(), c.cntsys == 1);
        EXPECT_EQ(s.module().loginDate, 20261205);
        EXPECT_TRUE(s.hp.messages.shown.empty());
    }
}

TEST(Login, RefusedRepliesKeepTheDialogAndTouchNoFile) {
    for (std::string reply : {"0;12;Alpha", "abc;12;Alpha", "x7;12;Alpha", "7", "", "Login failed", "0.0;1;A"}) {
        SCOPED_TRACE(reply);
        LoginScreen s(reply);
        s.hp.writeFile("Data/TempSyst.dat", "old;one\r\n");
        s.logIn();
        ASSERT_EQ(s.hp.messages.shown.size(), 1u);
        EXPECT_EQ(s.hp.messages.shown[0].text, "Login Error");
        EXPECT_EQ(s.hp.messages.shown[0].icon, MessageIcon::Error);
        EXPECT_TRUE(s.run->shows("frmLogin"));
        EXPECT_EQ(s.run->on("frmLogin", "txtUser").text, "trader@example.com");
        EXPECT_EQ(s.values().swlogin, 0);
        EXPECT_EQ(s.module().userId, 0);
        EXPECT_EQ(s.hp.readFile("Data/TempSyst.dat"), "old;one\r\n");
        EXPECT_FALSE(s.hp.exists("Data/LoginChk.dat"));
        EXPECT_FALSE(s.module().loginTime.has_value());
    }
    // Any number that is not 0 is a user: negative, with blanks or a fraction.
    for (auto [reply, id] : {std::pair{"-3;12;A", -3.0}, {" 4 2 ;12;A", 42.0}, {"+7.5x;12;A", 7.5}}) {
        SCOPED_TRACE(reply);
        LoginScreen s(reply);
        s.logIn();
        EXPECT_EQ(s.module().userId, id);
        EXPECT_EQ(s.values().swlogin, 1);
    }
}

TEST(Login, NoTradeSystemKeepsTheDialogAndRemembersOnlyTheLogin) {
    for (std::string reply : {"7;0", "7;00", "7;0;"}) {
        SCOPED_TRACE(reply);
        LoginScreen s(reply);
        s.hp.writeFile("Data/TempSyst.dat", "old;one\r\n");
        s.hp.writeFile("Data/LoginChk.dat", "2;1;12 Alpha7\r\n1;0; \r\n");
        s.logIn();
        ASSERT_EQ(s.hp.messages.shown.size(), 1u);
        EXPECT_EQ(s.hp.messages.shown[0].text, "No Trade System Exist, please login to the website and create one");
        EXPECT_EQ(s.hp.messages.shown[0].icon, MessageIcon::Error);
        EXPECT_TRUE(s.run->shows("frmLogin"));
        EXPECT_EQ(s.module().userId, 7);
        EXPECT_EQ(s.values().swlogin, 0);
        EXPECT_FALSE(s.module().loginTime.has_value());
        EXPECT_EQ(s.hp.readFile("Data/TempSyst.dat"), "old;one\r\n");
        EXPECT_EQ(s.hp.readFile("Data/LoginChk.dat"), "1;1;trader@example.com\r\n");
    }
}

TEST(Login, NoConnectionIsToldAndTheDialogStays) {
    LoginScreen s(std::nullopt);
    s.logIn();
    ASSERT_EQ(s.hp.messages.shown.size(), 1u);
    EXPECT_EQ(s.hp.messages.shown[0].text,
              "Could not reach the Korvane - Vantor service. Check your internet connection and try again.");
    EXPECT_EQ(s.hp.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(s.run->shows("frmLogin"));
    EXPECT_EQ(s.run->on("frmLogin", "txtPass").text, "secret");
    EXPECT_FALSE(s.hp.exists("Data/TempSyst.dat"));
    EXPECT_FALSE(s.hp.exists("Data/LoginChk.dat"));
    EXPECT_EQ(s.values().swlogin, 0);

    // The connection is back: the same dialog and its one web client succeed.
    app::answerLogin(s.hp, "7;12;Alpha");
    s.hp.windows.click("frmLogin", "cmdLogin");
    EXPECT_EQ(s.values().swlogin, 1);
    EXPECT_EQ(s.hp.service.fetchersCreated, 1);
}

TEST(Login, AddressTrimmedAndBothValuesEncodedOnlyWhereNeeded) {
    LoginScreen s("7;12;Alpha");
    s.logIn("  Jo.Doe-x_y~z+fx@mail.example.com  ", " p&w=d#1?%\t\xE9 ");
    ASSERT_EQ(s.hp.service.requests.size(), 1u);
    EXPECT_EQ(s.hp.service.requests[0],
              "http://localhost:8080/LoginCheckAction.do?email=Jo.Doe-x_y~z%2Bfx@mail.example.com"
              "&password=%20p%26w%3Dd%231%3F%25%09%E9%20");
    // Remembered as typed but without the surrounding blanks, not encoded.
    EXPECT_EQ(s.hp.readFile("Data/LoginChk.dat"), "1;1;Jo.Doe-x_y~z+fx@mail.example.com\r\n");

    EXPECT_EQ(kv::percentEncode("a@b.c-d_e~f"), "a@b.c-d_e~f");
    EXPECT_EQ(kv::percentEncode(std::string("\x01\x1F\x7F\x80\xFF", 5)), "%01%1F%7F%80%FF");
    EXPECT_EQ(kv::percentEncode("/:;!*'(),[]$"), "/:;!*'(),[]$");
}

TEST(Login, EnterInThePasswordBoxLogsInCancelCloses) {
    LoginScreen s("7;12;Alpha");
    s.run->pick("mnuFlSi");
    s.hp.windows.type("frmLogin", "txtUser", "a@b.c");
    s.hp.windows.pressEnter("frmLogin", "txtUser");
    EXPECT_TRUE(s.hp.service.requests.empty());
    s.hp.windows.pressEnter("frmLogin", "txtPass");
    EXPECT_EQ(s.hp.service.requests.size(), 1u);
    EXPECT_EQ(s.values().swlogin, 1);

    LoginScreen cancelled("7;12;Alpha");
    cancelled.run->pick("mnuFlSi");
    cancelled.hp.windows.click("frmLogin", "cmdCancel");
    EXPECT_FALSE(cancelled.run->shows("frmLogin"));
    EXPECT_TRUE(cancelled.hp.service.requests.empty());
    EXPECT_FALSE(cancelled.hp.exists("Data/LoginChk.dat"));
}

TEST(Login, UnwritableDataFilesAreToldByName) {
    {
        LoginScreen s("7;12;Alpha;13;Beta");
        app::refuseWrites(s.hp, "TempSyst.dat");
        s.logIn();
        ASSERT_EQ(s.hp.messages.shown.size(), 1u);
        EXPECT_NE(s.hp.messages.shown[0].text.find("Data\\TempSyst.dat"), std::string::npos);
        EXPECT_TRUE(s.run->shows("frmLogin"));  // the trader can try again
        EXPECT_FALSE(s.run->shows("FrmSys"));
        EXPECT_FALSE(s.hp.exists("Data/LoginChk.dat"));
    }
    {
        LoginScreen s("7;12;Alpha");
        app::refuseWrites(s.hp, "LoginChk.dat");
        s.logIn();
        ASSERT_EQ(s.hp.messages.shown.size(), 1u);
        EXPECT_NE(s.hp.messages.shown[0].text.find("Data\\LoginChk.dat"), std::string::npos);
        EXPECT_EQ(s.values().swlogin, 1);  // the login itself went through
        EXPECT_FALSE(s.run->shows("frmLogin"));
    }
}
