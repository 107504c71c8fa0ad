#include <gtest/gtest.h>

#include "relay_harness.h"

using kv::platform::FileError;
using kv::platform::headless::FileStep;
using Requests = std::vector<std::string>;

namespace {
const std::vector<std::string> kLogAtLogin{
    Relay::order("1", "O1", "BUY", "20261204"),  // open before the login date: known
    Relay::order("2", "O1", "BUY", "20261205"),  // opened on the login date: new
    Relay::order("3", "X1", "BUY", "20261201"),  // closed: never known
    Relay::order("4", "P1", "BUY", "20261201"),  // not open: new
    "   1;2;3;O   ",  // an open order before the login date, were it not too short
};
}

TEST(StartupLoad, RebuildsOncePerLoginDate) {
    Relay r(false);
    r.hp.writeFile("Data/TempInit.dat", "20261205\r\n20261130\r\n");  // judged by its last line
    r.writeKnown({"old;O;1"});
    r.writeOrders(kLogAtLogin);
    r.manual->use();
    EXPECT_EQ(r.known(), "1;O;1\r\n");
    EXPECT_EQ(r.journal(), " \r\n");
    EXPECT_EQ(r.hp.readFile("Data/TempInit.dat"), "20261205\r\n");
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 2", "SetTD 4"}));
    EXPECT_EQ(r.journal(), "");

    // Same date on the next run: nothing is read or written at load.
    r.restart();
    int touched = 0;
    r.hp.files.fault = [&](FileStep step, const std::string& p) {
        touched += step != FileStep::Read || p.find("MT4") != std::string::npos;
        return FileError::None;
    };
    r.manual->use();
    EXPECT_EQ(touched, 0);
    EXPECT_EQ(r.known(), "1;O;1\r\n2;O;1\r\n4;P;1\r\n");
}

TEST(StartupLoad, MissingOrEmptyStampRebuilds) {
    for (bool emptyStamp : {false, true}) {
        Relay r(false);
        if (emptyStamp) r.hp.writeFile("Data/TempInit.dat", "");
        r.writeOrders(kLogAtLogin);
        if (emptyStamp) {
            // A tick that finds the window missing creates it, which loads it.
            EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 2", "SetTD 4"}));
            EXPECT_EQ(r.known(), "1;O;1\r\n2;O;1\r\n4;P;1\r\n");
        } else {
            r.manual->use();
            EXPECT_EQ(r.known(), "1;O;1\r\n");
        }
        EXPECT_EQ(r.hp.readFile("Data/TempInit.dat"), "20261205\r\n");
    }
}

TEST(StartupLoad, StampWaitsUntilTheRebuildIsDone) {
    // No order log at load: nothing is written, the first cycle that finds
    // the log finishes the load before it detects anything.
    Relay r(false);
    r.hp.writeFile("Data/TempInit.dat", "20261130\r\n");
    r.writeKnown({"old;O;1"});
    r.manual->use();
    EXPECT_EQ(r.hp.readFile("Data/TempInit.dat"), "20261130\r\n");
    EXPECT_EQ(r.known(), "old;O;1\r\n");
    r.tick();
    ASSERT_EQ(r.hp.messages.shown.size(), 1u);
    r.writeOrders(kLogAtLogin);
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 2", "SetTD 4"}));
    EXPECT_EQ(r.hp.readFile("Data/TempInit.dat"), "20261205\r\n");

    // The known-order record cannot be written: the stamp stays old, so a
    // new program run rebuilds again; once the record is written it follows.
    Relay w(false);
    w.hp.writeFile("Data/TempInit.dat", "20261130\r\n");
    w.writeOrders(kLogAtLogin);
    bool full = true;
    w.hp.files.fault = [&](FileStep step, const std::string& p) {
        return full && step == FileStep::WriteTemporary && p.ends_with("manualorder.log") ? FileError::DiskFull
                                                                                          : FileError::None;
    };
    w.manual->use();
    EXPECT_EQ(w.hp.readFile("Data/TempInit.dat"), "20261130\r\n");
    EXPECT_EQ(w.journal(), " \r\n");
    EXPECT_EQ(w.tickAndTakeRequests(), (Requests{"SetTD 2", "SetTD 4"}));
    EXPECT_EQ(w.hp.readFile("Data/TempInit.dat"), "20261130\r\n");
    full = false;
    EXPECT_EQ(w.tickAndTakeRequests(), Requests{});
    EXPECT_EQ(w.known(), "1;O;1\r\n2;O;1\r\n4;P;1\r\n");
    EXPECT_EQ(w.hp.readFile("Data/TempInit.dat"), "20261205\r\n");
    EXPECT_EQ(w.hp.messages.shown.size(), 1u);
}
