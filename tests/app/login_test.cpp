#include <gtest/gtest.h>

#include "account/percent_encoding.h"
#include "common/text_values.h"
#include "support/machine.h"

using namespace kvtest;
using kv::platform::MessageIcon;

namespace {

// An installed program whose service gives this reply.
struct LoginScreen : Machine {
    explicit LoginScreen(std::optional<std::string> reply) {
        write("Data/TempSyst.dat", "old;one\r\n");
        loginReply = std::move(reply);
        start();
    }
    bool toldOnly(const std::string& text) {
        return hp.messages.shown.size() == 1 && hp.messages.shown[0].text == text &&
               hp.messages.shown[0].icon == MessageIcon::Error;
    }
};

}  // namespace

TEST(Login, RepliesDecideHowManySystemsAndWhetherTheRelayStarts) {
    struct Case {
        std::string reply, tempSyst;
        int cntsys;
    };
    for (const Case& c : {Case{"7;12;Alpha", "12;Alpha\r\n", 1},
                          Case{"7;12;Alpha;13;Beta;", "12;Alpha\r\n13;Beta\r\n", 2},
                          Case{"7;12;Alpha;13", "12;Alpha\r\n", 1},
                          Case{"7;12;Alpha;13;", "12;Alpha\r\n13;\r\n", 2},
                          Case{"7;12", "", 0}}) {
        SCOPED_TRACE(c.reply);
        LoginScreen s(c.reply);
        s.logIn();  // the login_reply fuzz target checks the windows and what starts
        EXPECT_EQ(s.hp.readFile("Data/TempSyst.dat"), c.tempSyst);
        EXPECT_EQ(s.program().login().cntsys, c.cntsys);
        EXPECT_EQ(s.program().module().loginDate, 20261205);
        EXPECT_EQ(s.program().manual().loaded(), c.cntsys == 1);
    }
}

TEST(Login, RefusalsKeepTheDialogAndTouchNoFile) {
    for (std::string reply : {"0;12;Alpha", "abc;12;Alpha", "7", "", "0.0;1;A"}) {
        SCOPED_TRACE(reply);
        LoginScreen s(reply);
        s.logIn();
        EXPECT_TRUE(s.toldOnly("Login Error"));
        EXPECT_TRUE(s.shows("frmLogin"));
        EXPECT_EQ(s.program().values().swlogin, 0);
        EXPECT_EQ(s.hp.readFile("Data/TempSyst.dat"), "old;one\r\n");
        EXPECT_FALSE(s.hp.exists("Data/LoginChk.dat"));
    }
    for (std::string reply : {"7;0", "7;00"}) {
        SCOPED_TRACE(reply);
        LoginScreen s(reply);
        s.hp.writeFile("Data/LoginChk.dat", "2;1;12 Alpha7\r\n1;0; \r\n");
        s.logIn();
        EXPECT_TRUE(s.toldOnly("No Trade System Exist, please login to the website and create one"));
        EXPECT_TRUE(s.shows("frmLogin"));
        EXPECT_FALSE(s.program().module().loginTime.has_value());
        EXPECT_EQ(s.hp.readFile("Data/TempSyst.dat"), "old;one\r\n");
        EXPECT_EQ(s.hp.readFile("Data/LoginChk.dat"), "1;1;trader@example.com\r\n");
    }
    // Any other number is a user: negative, with blanks inside or a fraction.
    for (auto [reply, id] : {std::pair{"-3;12;A", -3.0}, {" 4 2 ;12;A", 42.0}, {"+9.5x;12;A", 9.5}}) {
        LoginScreen s(reply);
        s.logIn();
        EXPECT_EQ(s.program().module().userId, id) << reply;
    }
}

TEST(Login, NoConnectionIsToldTheDialogStaysAndItsClientIsReused) {
    LoginScreen s(std::nullopt);
    s.logIn();
    EXPECT_TRUE(s.toldOnly(
        "Could not reach the Korvane - Vantor service. Check your internet connection and try again."));
    EXPECT_EQ(s.on("frmLogin", "txtPass").text, "secret");
    s.loginReply = kLoginReply;
    s.hp.windows.click("frmLogin", "cmdLogin");
    EXPECT_EQ(s.program().values().swlogin, 1);
    EXPECT_EQ(s.hp.service.fetchersCreated, 1);
}

TEST(Login, AddressTrimmedAndBothValuesEncodedOnlyWhereNeeded) {
    LoginScreen s("7;12;Alpha");
    s.logIn("  Jo.Doe-x_y~z+fx@mail.example.com  ", " p&w=d#1?%\t\xE9 ");
    EXPECT_EQ(s.hp.service.requests.at(0),
              "http://localhost:8080/LoginCheckAction.do?email=Jo.Doe-x_y~z%2Bfx@mail.example.com"
              "&password=%20p%26w%3Dd%231%3F%25%09%E9%20");
    EXPECT_EQ(kv::percentEncode(std::string("\x01\x7F\x80\xFF", 4)), "%01%7F%80%FF");
    EXPECT_EQ(kv::percentEncode("/:;!*'(),[]$"), "/:;!*'(),[]$");
    EXPECT_EQ(kv::trimSpaces("\t a \t"), "\t a \t");  // only blanks are trimmed
}
