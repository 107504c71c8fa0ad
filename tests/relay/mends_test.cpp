#include <gtest/gtest.h>

#include "relay_harness.h"

using kv::platform::FileError;
using kv::platform::headless::FileStep;
using Requests = std::vector<std::string>;

TEST(SkippedCycle, LeavesFilesAndJournalAsTheyWere) {
    Relay r;
    r.writeKnown({"1;O;1"});
    r.hp.writeFile("Data/TempClose.dat", "0;X;1\r\n");
    r.tick();
    ASSERT_EQ(r.hp.messages.shown.size(), 1u);
    EXPECT_EQ(r.hp.messages.shown[0].text, "File SystemOrder.log not found ");
    EXPECT_EQ(r.hp.messages.shown[0].icon, kv::platform::MessageIcon::Error);
    EXPECT_EQ(r.module->pollState, 2);
    EXPECT_TRUE(r.manual->Closelist.empty());
    r.tick();
    EXPECT_EQ(r.hp.messages.shown.size(), 2u);  // shown again while the log is missing

    r.writeOrders({Relay::order("1", "X2")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"CloseTD 1"});
    EXPECT_EQ(r.journal(), "0;X;1\r\n1;X;2\r\n");
    EXPECT_EQ(r.module->pollState, 0);
}

TEST(SkippedCycle, TickDuringTheMessageBoxIsSkipped) {
    Relay r;
    int nestedTicks = 0;
    r.hp.messages.whileOpen = [&](const auto&) {
        ++nestedTicks;
        r.tick();
    };
    r.tick();
    EXPECT_EQ(nestedTicks, 1);
    EXPECT_EQ(r.hp.messages.shown.size(), 1u);
    r.hp.messages.whileOpen = nullptr;
    r.writeOrders({Relay::order("1", "O1")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 1"});  // the cycle runs again afterwards
}

TEST(SkippedCycle, LockedFilesAreTriedOnceMoreThenTheCycleEndsQuietly) {
    Relay r;
    r.writeKnown({"1;O;1"});
    r.writeOrders({Relay::order("1", "O2")});
    for (const char* lockedName : {"systemorder.log", "manualorder.log", "TempClose.dat"}) {
        int locks = 0;
        r.hp.files.fault = [&](FileStep step, const std::string& p) {
            return step == FileStep::Read && p.ends_with(lockedName) && locks++ < 2 ? FileError::Locked
                                                                                   : FileError::None;
        };
        EXPECT_EQ(r.tickAndTakeRequests(), Requests{}) << lockedName;
        EXPECT_EQ(r.known(), "1;O;1\r\n");
        EXPECT_EQ(r.hp.messages.shown.size(), 0u);
    }
    int locks = 0;  // once only: the second try reads it
    r.hp.files.fault = [&](FileStep step, const std::string& p) {
        return step == FileStep::Read && p.ends_with("systemorder.log") && locks++ < 1 ? FileError::Locked
                                                                                       : FileError::None;
    };
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"EditTD 1"});
}

TEST(Replies, NoReplyStopsTheRequestsOfTheCycleAndShortRepliesNeverAcknowledge) {
    Relay r;
    auto realService = r.hp.service.answer;
    r.writeOrders({Relay::order("1", "O1"), Relay::order("2", "O1"), Relay::order("3", "O1")});
    // The second request gets no reply at all: the third is not sent.
    r.hp.service.answer = [&](const std::string& url) -> std::optional<std::string> {
        if (url.find("orderno=2&") != std::string::npos) return std::nullopt;
        return realService(url);
    };
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 1", "SetTD 2"}));
    EXPECT_EQ(r.known(), "1;O;1\r\n");
    // An empty reply from a live service is a refusal, not a lost connection.
    r.hp.service.answer = [](const std::string&) { return std::string(); };
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 2", "SetTD 3"}));
    r.hp.service.answer = realService;
    EXPECT_EQ(r.tickAndTakeRequests(), (Requests{"SetTD 2", "SetTD 3"}));

    // Once nothing is known, a closed order's line needs no request and is
    // journaled at once: a failed request before it must not lose it, since
    // the next cycle no longer takes the line of an order it does not know.
    Relay x;
    x.writeKnown({"5;O;1"});
    x.writeOrders({Relay::order("5", "X3"), Relay::order("6", "O1"), Relay::order("5", "X3")});
    x.hp.service.answer = [&, ack = x.hp.service.answer](const std::string& url) -> std::optional<std::string> {
        if (url.find("orderno=6&") != std::string::npos) return std::nullopt;
        return ack(url);
    };
    EXPECT_EQ(x.tickAndTakeRequests(), (Requests{"CloseTD 5", "SetTD 6"}));
    EXPECT_EQ(x.journal(), "5;X;3\r\n5;X;3\r\n");

    // Two records of order 8: the first close is acknowledged, the second
    // record makes the same close be sent again. A reply of 0 or 1
    // characters must not pass on the strength of the earlier reply.
    Relay d;
    d.writeKnown({"8;O;1", "8;O;1", "9;O;1"});
    d.writeOrders({Relay::order("8", "X2"), Relay::order("9", "O1")});
    EXPECT_EQ(d.tickAndTakeRequests(), Requests{"CloseTD 8"});
    for (const char* shortReply : {"", "\n"}) {
        d.hp.service.answer = [&](const std::string&) { return std::string(shortReply); };
        EXPECT_EQ(d.tickAndTakeRequests(), Requests{"CloseTD 8"});
        EXPECT_EQ(d.known(), "8;O;1\r\n9;O;1\r\n");
    }
    EXPECT_EQ(d.journal(), "8;X;2\r\n");
}

TEST(StateFileWrites, FailedReplaceKeepsTheOldFileAndIsRetriedWithoutLosingEvents) {
    Relay r;
    r.writeKnown({"1;O;1"});
    r.writeOrders({Relay::order("1", "O1"), Relay::order("2", "O1")});
    FileStep failing = FileStep::WriteTemporary;
    bool broken = true;
    r.hp.files.fault = [&](FileStep step, const std::string& p) {
        return broken && step == failing && p.ends_with("manualorder.log") ? FileError::AccessDenied
                                                                           : FileError::None;
    };
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 2"});
    EXPECT_EQ(r.known(), "1;O;1\r\n");
    EXPECT_FALSE(r.hp.exists(std::string(Relay::kFiles) + "manualorder.log.kvtmp"));
    failing = FileStep::Rename;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.tickAndTakeRequests(), Requests{});  // never sent twice
    EXPECT_EQ(r.known(), "1;O;1\r\n");
    ASSERT_EQ(r.hp.messages.shown.size(), 1u);
    EXPECT_NE(r.hp.messages.shown[0].text.find("manualorder.log"), std::string::npos);
    broken = false;
    r.tick();
    EXPECT_EQ(r.known(), "1;O;1\r\n2;O;1\r\n");
    EXPECT_EQ(r.hp.messages.shown.size(), 1u);
}

TEST(StateFileWrites, UnchangedFilesAreNotRewritten) {
    Relay r;
    r.writeKnown({"1;O;1"});
    r.hp.writeFile("Data/TempClose.dat", "0;X;1\r\n");
    r.writeOrders({Relay::order("1", "O1")});
    int replaced = 0;
    r.hp.files.fault = [&](FileStep step, const std::string&) {
        replaced += step == FileStep::WriteTemporary;
        return FileError::None;
    };
    r.tick();
    EXPECT_EQ(replaced, 0);
    r.writeKnown({"1;O;1", "x"});  // the one-character line is dropped on the next write
    r.tick();
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(r.known(), "1;O;1\r\n");
}

TEST(ActiveLog, AppendFailureIsShownOnceAndTheTablesMoveOn) {
    Relay r;
    r.writeOrders({Relay::order("1", "O1")});
    r.hp.files.fault = [&](FileStep step, const std::string&) {
        return step == FileStep::Append ? FileError::DiskFull : FileError::None;
    };
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 1"});
    r.writeOrders({Relay::order("1", "O2")});
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"EditTD 1"});
    EXPECT_EQ(r.known(), "1;O;2\r\n");
    EXPECT_EQ(r.module->reportCounter, 0);
    ASSERT_EQ(r.hp.messages.shown.size(), 1u);
    EXPECT_NE(r.hp.messages.shown[0].text.find("Active.log"), std::string::npos);
}
