#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

// A file held for a moment is read on a second try, in the same cycle. (A file that stays unreadable
// skips the cycle: the soak holds it to every event arriving once.)
TEST(StateFileFaults, AFileHeldForAMomentIsReadOnASecondTry) {
    for (const char* file : {"systemorder.log", "manualorder.log", "TempClose.dat"}) {
        for (FileError error : {FileError::Locked, FileError::AccessDenied, FileError::Other}) {
            SCOPED_TRACE(std::string(file) + ": " + kv::platform::describe(error));
            Machine r;
            r.startRelaying({orderLine("9", "O2")}, {"9;O;1"});
            r.write("Data/TempClose.dat", "3;X;1\r\n");
            r.files.failOnce(FileStep::Read, file, error);
            EXPECT_EQ(r.cycle(), Requests{"EditTD 9"});
            EXPECT_TRUE(r.stateFilesAre("9;O;2\r\n", "3;X;1\r\n"));
        }
    }
}

// Each fault a cycle finds is told once while it lasts, in a box that no cycle waits for and that goes by
// itself when the fault ends; told again when it comes again, never again after the trader's OK.
TEST(StateFileFaults, AFaultIsToldOnceWhileItLastsAndItsBoxGoesWhenItEnds) {
    struct Fault {
        FileStep step;
        const char* file;
        FileError error;
        const char* told;  // in the box
    };
    for (const Fault& f : {Fault{FileStep::Read, "systemorder.log", FileError::NotFound, "SystemOrder.log not found in"},
                           Fault{FileStep::Replace, "manualorder.log", FileError::Locked, "manualorder.log: another program"},
                           Fault{FileStep::Append, "Active.log", FileError::DiskFull, "Active.log: the disk is full"}}) {
        SCOPED_TRACE(f.told);
        Machine r;
        std::vector<std::string> log{orderLine("0", "O1")}, known{"0;O;1"};
        r.startRelaying(log, known);  // past the first day: the expert has written here before
        auto& box = r.hp.messages;
        auto newOrder = [&] {
            const std::string no = std::to_string(log.size());
            log.push_back(orderLine(no, "O1", "BUY", "20261205"));
            known.push_back(no + ";O;1");
            r.writeOrders(log);
        };
        for (int time = 0; time < 3; ++time) {
            r.files.fail(f.step, f.file, f.error);
            newOrder();
            r.tick();
            ASSERT_TRUE(box.modeless);
            EXPECT_NE(box.modeless->text.find(f.told), std::string::npos) << box.modeless->text;
            if (time > 0) box.pressOkOnModeless();
            for (int cycle = 0; cycle < 2; ++cycle) {
                newOrder();
                r.tick();
            }
            r.files.heal();
            newOrder();
            EXPECT_TRUE(r.logWritten());  // heard at once, with the box of the first time still open
            EXPECT_FALSE(box.modeless);
            EXPECT_EQ(r.known(), kv::platform::joinLines(known));
        }
        EXPECT_EQ(r.messages(), 3);
        for (const auto& [event, times] : r.acknowledgements) EXPECT_EQ(times, 1) << event;
        // Only the lines Active.log really holds are counted.
        EXPECT_EQ(r.program().module().reportCounter, kv::platform::splitLines(r.activeLog(), r.hp.text).size());
    }

    // A second fault waits for the first one's box to go.
    Machine r;
    r.startRelaying({orderLine("1", "O1", "BUY", "20261205")});
    r.files.fail(FileStep::Replace, "manualorder.log", FileError::Locked);
    r.tick();
    std::remove(r.hp.path(r.orderFile("systemorder.log")).c_str());
    r.tick();
    EXPECT_EQ(r.messages(), 1);
    r.files.heal();
    r.tick();
    EXPECT_EQ(r.known(), "1;O;1\r\n");
    EXPECT_TRUE(r.hp.messages.modeless->text.starts_with("File SystemOrder.log not found in "));
}
