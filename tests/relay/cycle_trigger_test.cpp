#include <gtest/gtest.h>

#include "relay/cycle_trigger.h"
#include "relay_harness.h"

using Requests = std::vector<std::string>;
using kv::platform::headless::ManualTimer;

namespace {

// The engine of a logged-in trader, run by the trigger instead of by hand.
struct Triggered : Relay {
    kv::CycleTrigger trigger{platform, main, *cycle};
    ManualTimer& mytimer = static_cast<ManualTimer&>(trigger.mytimer());
    ManualTimer& settle = *hp.timers.timers.back();

    Triggered() { mytimer.setInterval(1000); }
    void change(const std::string& name) { hp.folderWatch.change(main.pathname1, name); }
    // The settling timer, when it is on, runs out.
    Requests settleAndTakeRequests() {
        hp.service.requests.clear();
        settle.fire();
        return sent();
    }
};

}  // namespace

TEST(CycleTrigger, AWriteOfTheOrderLogRunsOneCycleSoonAndABusyExpertIsSpacedOut) {
    Triggered t;
    t.writeOrders({Relay::order("1", "O1")});
    t.trigger.start();
    EXPECT_TRUE(t.mytimer.enabled());
    EXPECT_EQ(t.hp.folderWatch.watched(), std::vector<std::string>{t.main.pathname1});

    // The relay's own files, and their temporary files, start nothing.
    for (const char* own : {"manualorder.log", "ManualOrder.log", "kv1F.tmp", "systemorder.log.bak"}) {
        t.change(own);
        EXPECT_FALSE(t.settle.enabled()) << own;
    }
    // Three writes of the log in a row make one cycle, after the settling wait.
    t.change("SystemOrder.LOG");
    t.change("systemorder.log");
    t.change("");  // the platform lost count: the log may have changed
    ASSERT_TRUE(t.settle.enabled());
    EXPECT_EQ(t.settle.interval(), kv::CycleTrigger::kSettleMs);
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"SetTD 1"});
    EXPECT_FALSE(t.settle.enabled());

    // The next write comes 15 ms after that cycle: it waits out the spacing.
    t.writeOrders({Relay::order("1", "O1"), Relay::order("2", "O1")});
    t.change("systemorder.log");
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{});
    ASSERT_TRUE(t.settle.enabled());
    EXPECT_EQ(t.settle.interval(), kv::CycleTrigger::kSpacingMs - kv::CycleTrigger::kSettleMs);
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"SetTD 2"});

    // The timer is the same cycle, and still runs without any write.
    t.writeOrders({Relay::order("1", "O1"), Relay::order("2", "O1"), Relay::order("3", "O1")});
    t.hp.service.requests.clear();
    t.mytimer.fire();
    EXPECT_EQ(t.sent(), Requests{"SetTD 3"});
}

TEST(CycleTrigger, WatchingFollowsTheTimerAndTheFilesFolder) {
    Triggered t;
    t.change("systemorder.log");
    EXPECT_FALSE(t.settle.enabled()) << "nothing is watched before start";
    t.trigger.start();
    t.change("systemorder.log");
    t.trigger.stop();  // Logout or Exit between the write and its cycle
    EXPECT_FALSE(t.mytimer.enabled());
    EXPECT_FALSE(t.settle.enabled());
    EXPECT_TRUE(t.hp.folderWatch.watched().empty());

    // A folder that cannot be watched now is tried again at every cycle.
    t.hp.folderWatch.failing = true;
    t.trigger.start();
    EXPECT_TRUE(t.hp.folderWatch.watched().empty());
    t.hp.folderWatch.failing = false;
    t.mytimer.fire();
    EXPECT_EQ(t.hp.folderWatch.watched(), std::vector<std::string>{t.main.pathname1});

    // Save moves the MT4 folder: the next cycle watches the new one only.
    const std::string old = t.main.pathname1;
    t.hp.makeFolder("MT5/experts/files");
    t.main.pathname1 = t.hp.root() + "\\MT5\\experts\\files";
    t.hp.writeFile("MT5/experts/files/systemorder.log", Relay::join({Relay::order("7", "O1")}));
    t.mytimer.fire();
    EXPECT_EQ(t.hp.folderWatch.watched(), std::vector<std::string>{t.main.pathname1});
    t.hp.folderWatch.change(old, "systemorder.log");
    EXPECT_FALSE(t.settle.enabled());
    t.change("systemorder.log");
    EXPECT_TRUE(t.settle.enabled());
}

// A write heard while a cycle runs (a message box of it open) is not lost,
// and a cycle that ran out of time for requests is followed soon, not a
// second later, by one that sends the rest. Nothing is sent twice.
TEST(CycleTrigger, WhatACycleLeftIsTakenUpSoon) {
    Triggered t;
    t.trigger.start();
    t.writeOrders({Relay::order("1", "O1")});
    auto ack = t.hp.service.answer;
    t.hp.service.answer = [&](const std::string& url) {
        t.change("systemorder.log");
        return ack(url);
    };
    t.mytimer.fire();
    ASSERT_TRUE(t.settle.enabled());
    EXPECT_EQ(t.settle.interval(), kv::CycleTrigger::kSpacingMs);

    // A slow service: 400 ms a request, so three fit in one cycle's second.
    t.writeOrders({Relay::order("1", "O1"), Relay::order("2", "O1"), Relay::order("3", "O1"), Relay::order("4", "O1"),
                   Relay::order("5", "O1")});
    t.hp.service.answer = [&](const std::string& url) {
        t.hp.clock.steady += 400;
        return ack(url);
    };
    t.settle.setEnabled(false);
    t.hp.service.requests.clear();
    t.mytimer.fire();
    EXPECT_EQ(t.sent(), (Requests{"SetTD 2", "SetTD 3", "SetTD 4"}));
    ASSERT_TRUE(t.settle.enabled());
    EXPECT_EQ(t.settleAndTakeRequests(), Requests{"SetTD 5"});
    EXPECT_EQ(t.known(), "1;O;1\r\n2;O;1\r\n3;O;1\r\n4;O;1\r\n5;O;1\r\n");
    EXPECT_FALSE(t.settle.enabled());
}
