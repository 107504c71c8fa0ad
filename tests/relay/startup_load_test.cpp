#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

namespace {
const std::vector<std::string> kLogAtLogin{
    orderLine("1", "O1", "BUY", "20261204"),  // open before the login date: known
    orderLine("2", "O1", "BUY", "20261205"),  // opened on the login date: new
    orderLine("3", "X1", "BUY", "20261201"),  // closed: never known
    orderLine("4", "P1", "BUY", "20261201"),  // not open: new
    "   1;2;3;O   ",  // an open order before the login date, were it not too short
};
}

TEST(StartupLoad, RebuildsOncePerLoginDate) {
    // An older stamp (judged by its last line), an empty one, none at all.
    for (const char* stamp : {"20261205\r\n20261130\r\n", "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(stamp ? stamp : "no stamp");
        Machine r;
        if (stamp) r.write("Data/TempInit.dat", stamp);
        r.writeKnown({"old;O;1"});
        r.writeOrders(kLogAtLogin);
        r.start();
        r.logIn();
        EXPECT_EQ(r.known(), "1;O;1\r\n");
        EXPECT_EQ(r.read("Data/TempInit.dat"), "20261205\r\n");
        EXPECT_EQ(r.cycle(), (Requests{"SetTD 2", "SetTD 4"}));

        // Same date on the next run: nothing of the tables is read or written at load.
        r.start();
        int touched = 0;
        r.files.decide = [&](FileStep step, const std::string& p) {
            touched += p.find("MT4") != std::string::npos ||
                       (step != FileStep::Read && (p.ends_with("TempInit.dat") || p.ends_with("TempClose.dat")));
            return FileError::None;
        };
        r.logIn();
        EXPECT_EQ(touched, 0);
        EXPECT_EQ(r.known(), "1;O;1\r\n2;O;1\r\n4;P;1\r\n");
    }
}

TEST(StartupLoad, StampWaitsUntilTheRebuildIsDone) {
    // No order log at load: the first cycle that finds it finishes the load first.
    Machine r;
    std::remove(r.hp.path(Machine::orderFile("systemorder.log")).c_str());
    r.write("Data/TempInit.dat", "20261130\r\n");
    r.writeKnown({"old;O;1"});
    r.start();
    r.logIn();
    EXPECT_EQ(r.read("Data/TempInit.dat"), "20261130\r\n");
    EXPECT_EQ(r.known(), "old;O;1\r\n");
    r.tick();
    ASSERT_EQ(r.messages(), 1);
    r.writeOrders(kLogAtLogin);
    EXPECT_EQ(r.cycle(), (Requests{"SetTD 2", "SetTD 4"}));
    EXPECT_EQ(r.read("Data/TempInit.dat"), "20261205\r\n");

    // An unwritten record keeps the stamp old, so that a new run rebuilds again.
    Machine w;
    w.write("Data/TempInit.dat", "20261130\r\n");
    w.writeOrders(kLogAtLogin);
    w.files.fail(FileStep::Replace, "manualorder.log", FileError::DiskFull);
    w.start();
    w.logIn();
    EXPECT_EQ(w.read("Data/TempInit.dat"), "20261130\r\n");
    EXPECT_EQ(w.journal(), " \r\n");
    EXPECT_EQ(w.cycle(), (Requests{"SetTD 2", "SetTD 4"}));
    EXPECT_EQ(w.read("Data/TempInit.dat"), "20261130\r\n");
    w.files.heal();
    EXPECT_EQ(w.cycle(), Requests{});
    EXPECT_EQ(w.known(), "1;O;1\r\n2;O;1\r\n4;P;1\r\n");
    EXPECT_EQ(w.read("Data/TempInit.dat"), "20261205\r\n");
    EXPECT_EQ(w.messages(), 1);
}
