#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

// Nothing may be decided on a file not read; one held for a moment is read on a second try.
TEST(StateFileFaults, UnreadableFilesSkipTheCycleQuietlyUntilTheyCanBeRead) {
    for (const char* file : {"systemorder.log", "manualorder.log", "TempClose.dat"}) {
        for (FileError error : {FileError::Locked, FileError::AccessDenied, FileError::Other}) {
            SCOPED_TRACE(std::string(file) + ": " + kv::platform::describe(error));
            Machine r;
            r.startRelaying({orderLine("9", "O2")}, {"9;O;1"});
            r.write("Data/TempClose.dat", "3;X;1\r\n");
            r.files.fail(FileStep::Read, file, error);
            for (int cycle = 0; cycle < 3; ++cycle) {
                EXPECT_EQ(r.cycle(), Requests{});
                EXPECT_TRUE(r.stateFilesAre("9;O;1\r\n", "3;X;1\r\n"));
            }
            r.files.heal();
            EXPECT_EQ(r.cycle(), Requests{"EditTD 9"});
            EXPECT_TRUE(r.stateFilesAre("9;O;2\r\n", "3;X;1\r\n"));
            EXPECT_EQ(r.cycle(), Requests{});
            EXPECT_EQ(r.messages(), 0);

            r.writeOrders({orderLine("9", "O3")});
            r.files.failOnce(FileStep::Read, file, error);
            EXPECT_EQ(r.cycle(), Requests{"EditTD 9"});
        }
    }
}

// The stamp is written once it can be, so a restart that day does not rebuild again.
TEST(StateFileFaults, StartupStampFaultsDelayOrRepeatTheRebuildButLoseNothing) {
    const std::vector<std::string> log{orderLine("1", "O1", "BUY", "20261204"), orderLine("2", "O1", "BUY", "20261205")};
    for (FileStep step : {FileStep::Read, FileStep::Replace}) {
        SCOPED_TRACE(stepName(step));
        Machine m;
        m.write("Data/TempInit.dat", "20261204\r\n");
        m.writeOrders(log);
        m.write(m.orderFile("manualorder.log"), "old;O;1\r\n");
        m.files.fail(step, "TempInit.dat", FileError::Locked);
        m.start();
        ASSERT_TRUE(m.logIn());
        for (int cycle = 0; cycle < 3; ++cycle) m.tick();
        if (step == FileStep::Read) {
            EXPECT_EQ(m.sent, Requests{});  // the tables cannot be built yet
            EXPECT_EQ(m.known(), "old;O;1\r\n");
            EXPECT_EQ(m.hp.messages.shown.size(), 0u);
        } else {
            EXPECT_EQ(m.sent, Requests{"SetTD 2"});
            EXPECT_EQ(m.read("Data/TempInit.dat"), "20261204\r\n");
            ASSERT_EQ(m.hp.messages.shown.size(), 1u);
            EXPECT_NE(m.hp.messages.shown[0].text.find("TempInit.dat"), std::string::npos);
        }
        m.files.heal();
        m.tick();
        m.tick();
        EXPECT_EQ(m.sent, Requests{"SetTD 2"});
        EXPECT_EQ(m.known(), "1;O;1\r\n2;O;1\r\n");
        EXPECT_EQ(m.read("Data/TempInit.dat"), "20261205\r\n");
    }
}

// A log that was there and went: told once per absence, naming the folder and the next step, in a box
// that no cycle waits for and that goes when the log is back.
TEST(StateFileFaults, AMissingOrderLogIsToldOncePerAbsenceAndHoldsUpNoCycle) {
    Machine r;
    r.startRelaying({orderLine("9", "O2")}, {"9;O;1"});
    auto& box = r.hp.messages;
    auto goes = [&] { std::remove(r.hp.path(r.orderFile("systemorder.log")).c_str()); };
    goes();
    for (int cycle = 0; cycle < 3; ++cycle) EXPECT_EQ(r.cycle(), Requests{});
    ASSERT_EQ(r.messages(), 1);
    EXPECT_EQ(box.modeless->text, "File SystemOrder.log not found in " + r.mt4Folder() +
                                    "experts\\files. Drag KorvaneVantor onto one chart in MT4 again, or choose the "
                                    "right MT4 folder in Setting.");
    EXPECT_TRUE(r.stateFilesAre("9;O;1\r\n", ""));
    r.writeOrders({orderLine("9", "O2")});
    EXPECT_TRUE(r.logWritten());  // heard at once, with the box still open
    EXPECT_EQ(r.sent, Requests{"EditTD 9"});
    EXPECT_FALSE(box.modeless);

    for (int absence = 0; absence < 2; ++absence) {  // told again each time; OK while it lasts tells no more
        goes();
        r.tick();
        box.pressOkOnModeless();
        r.tick();
        r.writeOrders({});
        r.tick();
    }
    EXPECT_EQ(r.messages(), 3);
}

// Later orders are reported under the open box; a second fault waits for its turn on screen.
TEST(StateFileFaults, AnUnwritableStateFileIsToldOnceWhileItLastsAndTheBoxGoesWhenItIsWritten) {
    Machine r;
    r.startRelaying();
    r.files.fail(FileStep::Replace, "manualorder.log", FileError::Locked);
    std::vector<std::string> log;
    for (const char* no : {"1", "2", "3"}) {
        log.push_back(orderLine(no, "O1", "BUY", "20261205"));
        r.writeOrders(log);
        EXPECT_EQ(r.cycle(), Requests{std::string("SetTD ") + no});
    }
    EXPECT_NE(r.hp.messages.modeless->text.find("manualorder.log"), std::string::npos);
    std::remove(r.hp.path(r.orderFile("systemorder.log")).c_str());
    r.tick();
    EXPECT_EQ(r.messages(), 1);
    r.files.heal();
    r.tick();  // written: its box goes, and the waiting one shows
    EXPECT_EQ(r.known(), "1;O;1\r\n2;O;1\r\n3;O;1\r\n");
    EXPECT_TRUE(r.hp.messages.modeless->text.starts_with("File SystemOrder.log not found in "));
}
