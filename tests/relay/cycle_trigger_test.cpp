#include <gtest/gtest.h>

#include "relay/cycle_trigger.h"
#include "support/machine.h"

using namespace kvtest;

namespace {

// A trader's program that has not logged in yet, its tables built today.
struct Triggered : Machine {
    Triggered() {
        write("Data/TempInit.dat", "20261205\r\n");
        start();
    }
    std::string& folder() { return program().values().pathname1; }
    void change(const std::string& name, kv::platform::FolderChange how = kv::platform::FolderChange::Written) {
        hp.folderWatch.change(folder(), name, how);
    }
    Requests renamedIn() {
        sent.clear();
        change("SystemOrder.log", kv::platform::FolderChange::RenamedIn);
        return sent;
    }
    // The settling timer, when it is on, runs out.
    Requests settleAndTakeRequests() {
        sent.clear();
        settleTimer().fire();
        return sent;
    }
};

}  // namespace

TEST(CycleTrigger, AWriteOfTheOrderLogRunsOneCycleSoonAndABusyExpertIsSpacedOut) {
    Triggered t;
    t.writeOrders({orderLine("1", "O1")});
    t.logIn();

    // The relay's own files, and their temporary files, start nothing.
    for (const char* own : {"manualorder.log", "ManualOrder.log", "kv1F.tmp", "systemorder.log.bak"}) {
        t.change(own);
        EXPECT_FALSE(t.settleTimer().enabled()) << own;
    }
    // Three writes of the log in a row make one cycle, after the settling wait.
    t.change("");  // the platform lost count: the log may have changed
    ASSERT_TRUE(t.settleTimer().enabled());
    t.change("systemorder.log");
    t.change("SystemOrder.LOG");
    EXPECT_EQ(t.settleTimer().interval(), kv::CycleTrigger::kSettleMs);
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"SetTD 1"});
    EXPECT_FALSE(t.settleTimer().enabled());

    // The next write comes 15 ms after that cycle: it waits out the spacing.
    t.writeOrders({orderLine("1", "O1"), orderLine("2", "O1")});
    t.change("SystemOrder.LOG");
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{});
    ASSERT_TRUE(t.settleTimer().enabled());
    EXPECT_EQ(t.settleTimer().interval(), kv::CycleTrigger::kSpacingMs - kv::CycleTrigger::kSettleMs);
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"SetTD 2"});
}

// The expert's atomic replace brings a whole log: read at once, not settled,
// and spaced only so far that one rename a period is never held back.
TEST(CycleTrigger, ALogRenamedInIsReadAtOnce) {
    Triggered t;
    t.logIn();
    t.writeOrders({orderLine("1", "O1")});
    t.change("systemorder.log");  // a write in place, then the rename that supersedes it
    EXPECT_EQ(t.renamedIn(), Requests{"SetTD 1"});
    EXPECT_FALSE(t.settleTimer().enabled());

    // Right after that cycle a rename waits out the short spacing, and a write
    // heard meanwhile neither delays nor doubles it.
    t.writeOrders({orderLine("1", "O2")});
    EXPECT_EQ(t.renamedIn(), Requests{});
    t.change("systemorder.log");
    EXPECT_EQ(t.settleTimer().interval(), kv::CycleTrigger::kRenameSpacingMs);
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"EditTD 1"});
    EXPECT_FALSE(t.settleTimer().enabled());

    // The next period's rename runs at once.
    t.hp.clock.steady += kv::CycleTrigger::kSpacingMs - 5;
    t.writeOrders({orderLine("1", "X2")});
    EXPECT_EQ(t.renamedIn(), Requests{"CloseTD 1"});

    // One heard while a cycle runs is read after it by the same short spacing.
    t.writeOrders({orderLine("2", "O1")});
    t.spoil = [&](const std::string&, const std::string& answer) {
        t.spoil = nullptr;
        t.writeOrders({orderLine("2", "O1"), orderLine("3", "O1")});
        t.change("SystemOrder.log", kv::platform::FolderChange::RenamedIn);
        return answer;
    };
    EXPECT_EQ(t.cycle(), Requests{"SetTD 2"});
    EXPECT_EQ(t.settleTimer().interval(), kv::CycleTrigger::kRenameSpacingMs);
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"SetTD 3"});
}

TEST(CycleTrigger, WatchingFollowsTheTimer) {
    Triggered t;
    t.change("systemorder.log");
    EXPECT_FALSE(t.settleTimer().enabled()) << "nothing is watched before the login";
    t.logIn();
    t.change("systemorder.log");
    t.pick("mnulvSo");  // Logout between the write and its cycle
    EXPECT_FALSE(t.mytimer().enabled());
    EXPECT_FALSE(t.settleTimer().enabled());
    EXPECT_TRUE(t.hp.folderWatch.watched().empty());

    // A folder that cannot be watched now is tried again at every cycle.
    t.hp.folderWatch.failing = true;
    t.logIn();
    EXPECT_TRUE(t.hp.folderWatch.watched().empty());
    t.hp.folderWatch.failing = false;
    t.tick();
    EXPECT_EQ(t.hp.folderWatch.watched(), std::vector<std::string>{t.folder()});
}

// A write heard during a cycle, or requests a cycle had no time for, wait only the spacing.
TEST(CycleTrigger, WhatACycleLeftIsTakenUpSoon) {
    Triggered t;
    t.logIn();
    t.writeOrders({orderLine("1", "O1")});
    t.spoil = [&](const std::string&, const std::string& answer) {
        t.change("systemorder.log");
        return answer;
    };
    t.tick();
    ASSERT_TRUE(t.settleTimer().enabled());
    EXPECT_EQ(t.settleTimer().interval(), kv::CycleTrigger::kSpacingMs);

    // A slow service: 400 ms a request, so three fit in one cycle's second.
    t.writeOrders({orderLine("1", "O1"), orderLine("2", "O1"), orderLine("3", "O1"), orderLine("4", "O1"),
                   orderLine("5", "O1")});
    t.spoil = [&](const std::string&, const std::string& answer) {
        t.hp.clock.steady += 400;
        return answer;
    };
    t.settleTimer().setEnabled(false);
    EXPECT_EQ(t.cycle(), (Requests{"SetTD 2", "SetTD 3", "SetTD 4"}));
    ASSERT_TRUE(t.settleTimer().enabled());
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"SetTD 5"});
    EXPECT_EQ(t.known(), "1;O;1\r\n2;O;1\r\n3;O;1\r\n4;O;1\r\n5;O;1\r\n");
    EXPECT_FALSE(t.settleTimer().enabled());
}
