#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

// The relay goes on without its journal lines, and the trader is told once for each fault.
TEST(DataFileFaults, AFullDiskUnderActiveLogIsToldOncePerFaultAndTheRelayGoesOn) {
    Machine r;
    r.startRelaying();
    r.files.fail(FileStep::Append, "Active.log", FileError::DiskFull);
    std::vector<std::string> log;
    for (int order = 1; order <= 5; ++order) {
        if (order == 3) r.files.heal();  // room for one line, then the disk is full again
        if (order == 4) r.files.fail(FileStep::Append, "Active.log", FileError::DiskFull);
        log.push_back(orderLine(std::to_string(order), "O1", "BUY", "20261205"));
        r.writeOrders(log);
        EXPECT_EQ(r.cycle(), Requests{"SetTD " + std::to_string(order)});
    }
    EXPECT_EQ(r.messages(), 2);
    EXPECT_TRUE(r.told("Active.log"));
    EXPECT_EQ(r.program().module().reportCounter, 1);  // it counts the lines really there
}

// What the login does not need the unwritable file for goes on.
TEST(DataFileFaults, LoginFilesThatCannotBeWrittenAreToldAndKeepTheirOldVersion) {
    struct Case {
        const char* file;
        bool relayStarts;  // the system list is needed to start; the remembered login is not
    };
    for (const Case& c : {Case{"TempSyst.dat", false}, Case{"LoginChk.dat", true}}) {
        {
            SCOPED_TRACE(c.file);
            Machine m;
            m.write("Data/TempSyst.dat", "12;Old\r\n");
            m.write("Data/LoginChk.dat", "1;0; \r\n");
            m.writeOrders({});
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
}
