#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

// What the login does not need the unwritable file for goes on.
TEST(DataFileFaults, LoginFilesThatCannotBeWrittenAreToldAndKeepTheirOldVersion) {
    struct Case {
        const char* file;
        bool relayStarts;  // the system list is needed to start; the remembered login is not
    };
    for (const Case& c : {Case{"TempSyst.dat", false}, Case{"LoginChk.dat", true}}) {
        SCOPED_TRACE(c.file);
        Machine m;
        m.write("Data/TempSyst.dat", "12;Old\r\n");
        m.write("Data/LoginChk.dat", "1;0; \r\n");
        m.files.fail(FileStep::Replace, c.file, FileError::AccessDenied);
        m.start();
        EXPECT_EQ(m.logIn(), c.relayStarts);
        ASSERT_EQ(m.hp.messages.shown.size(), 1u);
        EXPECT_NE(m.hp.messages.shown[0].text.find(std::string("Data\\") + c.file), std::string::npos);
        EXPECT_EQ(m.read("Data/TempSyst.dat"), c.relayStarts ? "12;Alpha\r\n" : "12;Old\r\n");
        EXPECT_EQ(m.read("Data/LoginChk.dat"), "1;0; \r\n");

        m.files.heal();
        if (!c.relayStarts) m.hp.windows.click("frmLogin", "cmdLogin");  // the dialog stayed: try again
        EXPECT_EQ(m.program().values().swlogin, 1);
    }
}
