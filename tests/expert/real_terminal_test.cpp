// Our experts as real terminals run them, each behaviour on MT4 and MT5
// (hedging, netting) where the terminal has it: MT5's executions that take
// time and come in parts, data that arrives after a start or a
// reconnection, lists that move while the expert reads them, two charts
// starting at once, a timer that cannot be set, a double-byte code page,
// and all of it at random. Every write is checked (expert_desk.h), and the
// log against the terminal's record after each step.
#include <gtest/gtest.h>

#include "expert_desk.h"
#include "random_session.h"

namespace {

constexpr int64_t kStartMs = 2100;  // the expert waits 2 s for the lists to settle

class RealTerminal : public ::testing::TestWithParam<AccountMode> {
protected:
    bool mt5() const { return GetParam() != AccountMode::Mt4; }
};

TEST_P(RealTerminal, MarketOrdersExecuteLateAndInParts) {
    if (!mt5()) GTEST_SKIP() << "MT4 executes a request before it returns";
    Desk day(GetParam());
    day.log(kStartMs);
    day.mt.setExecution({300, 3, 1});
    day.mt.openMarket("EURUSD", OrderType::Buy, 0.30);
    const size_t writes = day.writes.size();
    day.mt.advance(150);
    day.mt.tick("EURUSD", 1.10100, 1.10120);  // the later parts fill at another price
    day.mt.advance(100);
    EXPECT_EQ(day.writes.size(), writes) << "nothing while the order executes";
    auto lines = day.log(100);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.begin()->second.at(8), "1.10087");  // 0.10 at 1.10020, 0.20 at 1.10120

    // A close (or a reversal on netting) in parts, then, on hedging, a close
    // by an opposite position.
    const int position = day.mt.mt5().positions.front().ticket;
    day.mt.tick("EURUSD", 1.10300, 1.10320);
    if (GetParam() == AccountMode::Netting) {
        // Its deal reaches the history after the position has turned: never
        // written as the old line turned the other way.
        day.mt.setExecution({300, 3, 1, 100});
        day.mt.openMarket("EURUSD", OrderType::Sell, 0.50);
        for (int ms = 0; ms < 450; ms += 10) {
            day.mt.advance(10);
            const auto now = parseLog(day.text());
            if (now.count(position) && now.at(position).at(4)[0] == 'O') {
                EXPECT_EQ(now.at(position).at(5), "BUY");
            }
        }
        EXPECT_EQ(day.log().size(), 2u);
    } else {
        day.mt.close(position);
        lines = day.log(400);
        EXPECT_EQ(lines.begin()->second.at(12), "61.89");  // 3 x 0.10 at +21.33 pips from the average, less 2.10 commission
        day.mt.setExecution({0, 1, 1});
        int buy = day.mt.openMarket("EURUSD", OrderType::Buy, 0.10);
        int sell = day.mt.openMarket("EURUSD", OrderType::Sell, 0.30);
        day.log();
        day.mt.setExecution({200, 1, 1});
        ASSERT_TRUE(day.mt.closeBy(buy, sell));
        day.mt.advance(150);
        EXPECT_EQ(parseLog(day.text()).at(buy).at(4)[0], 'O');
        EXPECT_EQ(day.log(100).at(sell).at(7), "0.20");
    }
}

TEST_P(RealTerminal, PendingOrdersFillInPartsUnderOneTicket) {
    if (!mt5()) GTEST_SKIP() << "MT4 fills a pending order whole";
    Desk day(GetParam());
    day.log(kStartMs);
    day.mt.setExecution({0, 1, 0.5});
    if (GetParam() == AccountMode::Netting) {
        // Into an existing position: its line grows, the order's shrinks.
        int position = day.mt.openMarket("EURUSD", OrderType::Buy, 0.10);
        int limit = day.mt.placePending("EURUSD", OrderType::BuyLimit, 0.40, 1.09900);
        day.log();
        day.mt.tick("EURUSD", 1.09880, 1.09900);
        auto lines = day.log();
        EXPECT_EQ(lines.at(position).at(7), "0.30");
        EXPECT_EQ(lines.at(limit).at(7), "0.20");
        day.mt.tick("EURUSD", 1.09870, 1.09890);
        EXPECT_EQ(day.log().at(limit).at(4).at(0), 'X');
        return;
    }
    // The position and the rest share the ticket: one line, the position's.
    int limit = day.mt.placePending("EURUSD", OrderType::BuyLimit, 0.40, 1.09900);
    day.log();
    day.mt.tick("EURUSD", 1.09880, 1.09900);
    EXPECT_EQ(day.log().at(limit).at(7), "0.20");
    // Closed while the rest waits; the rest fills under the same identifier:
    // a line of its own, and the close stays told.
    day.mt.close(limit);
    EXPECT_EQ(day.log().at(limit).at(4).at(0), 'X');
    day.mt.tick("EURUSD", 1.09870, 1.09890);
    const auto lines = day.log();
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.at(limit).at(4).at(0), 'X');
}

TEST_P(RealTerminal, NothingIsWrittenBeforeTheDataArrives) {
    Desk day(GetParam());
    for (double lots : {0.10, 0.20, 0.30}) day.mt.openMarket("EURUSD", OrderType::Buy, lots);
    day.mt.placePending("EURUSD", OrderType::SellLimit, 0.10, 1.11000);
    const size_t lines = day.log(kStartMs).size();
    // A start in which the connection comes after the 5 s the terminal waits
    // for it, and a reconnection that lists the orders again: every write
    // has every line.
    day.mt.restart(0, {6000, 6500, 7000});
    day.log(12000);
    day.mt.disconnect();
    day.mt.advance(1000);
    std::filesystem::remove(day.folder / "systemorder.log");
    day.mt.reconnect({0, 300, 600});
    day.log(kStartMs + 600);
    ASSERT_GE(day.writes.size(), 3u);
    for (const std::string& write : day.writes) EXPECT_EQ(parseLog(write).size(), lines) << write;
}

TEST_P(RealTerminal, ListsMoveWhileTheExpertReadsThem) {
    // At each of the expert's runtime calls in turn, an order closes (the
    // history grows) and another opens.
    for (int call = 1; call <= 60 && !HasFailure(); ++call) {
        Desk day(GetParam());
        int doomed = day.mt.openMarket("EURUSD", OrderType::Buy, 0.10);
        int changed = day.mt.openMarket("USDJPY", OrderType::Sell, 0.20);
        day.log(kStartMs);
        day.mt.modify(changed, 0, 151.000, 0, 0);  // the next period builds the log
        day.mt.interruptAt(day.chart, call, [&] {
            day.mt.close(doomed);
            day.mt.openMarket("EURUSD", OrderType::Sell, 0.30);
        });
        day.mt.advance(50);
        day.log(100);
    }
}

TEST_P(RealTerminal, TheHistoryListIsReplaced) {
    if (mt5()) GTEST_SKIP() << "MT5 lists the whole history";
    // The Account History tab shows the last three days, then all again:
    // an order closed 80 hours ago is gone from the list and comes back at
    // its front, and its line with it.
    Desk day(GetParam());
    const int old = day.mt.openMarket("EURUSD", OrderType::Buy, 0.10);
    const int recent = day.mt.openMarket("EURUSD", OrderType::Sell, 0.20);
    day.mt.close(old);
    day.mt.advance(10 * 3600 * 1000LL);
    day.mt.close(recent);
    day.log(70 * 3600 * 1000LL);
    day.mt.setHistoryPeriod(day.mt.nowSeconds() - 72 * 3600);
    day.mt.advance(100);
    EXPECT_FALSE(parseLog(day.text()).count(old));
    day.mt.setHistoryPeriod(0);
    EXPECT_EQ(day.log().at(old).at(4)[0], 'X');
}

TEST_P(RealTerminal, TwoChartsStartingTogetherHaveOneWriter) {
    for (int call = 1; call <= 30 && !HasFailure(); ++call) {
        // A writer that left long ago left its beat behind.
        Desk day(GetParam());
        day.mt.advance(kStartMs);
        day.mt.detachExpert(day.chart);
        day.mt.advance(6000);
        day.writers.clear();
        const int first = day.mt.addChart("EURUSD"), second = day.mt.addChart("USDJPY");
        day.mt.interruptAt(first, call, [&] { day.mt.startExpert(second); });
        day.mt.startExpert(first);
        day.mt.openMarket("EURUSD", OrderType::Buy, 0.10);
        day.log(kStartMs + 500);
        EXPECT_EQ(day.writers.size(), 1u) << "the second chart started at call " << call;
        // A beat that is gone (deleted by hand, say) is no silent writer.
        day.mt.globals().erase("KorvaneVantor.beat");
        day.mt.attachExpert("EURUSD");
        day.mt.openMarket("EURUSD", OrderType::Sell, 0.10);
        day.log();
        EXPECT_EQ(day.writers.size(), 1u);
    }
    // A writer stopped by a critical error: the two charts standing by race
    // to take over, the second at each call of the first one's period.
    for (int call = 1; call <= 30 && !HasFailure(); ++call) {
        Desk day(GetParam());
        const int x = day.mt.attachExpert("EURUSD");
        day.mt.attachExpert("USDJPY");
        day.mt.advance(kStartMs);
        day.mt.crashExpert(day.chart);
        day.mt.openMarket("EURUSD", OrderType::Buy, 0.10);
        day.mt.advance(5000);
        day.writers.clear();
        day.mt.interruptAt(x, call, [&] { day.mt.tick("USDJPY", 150.000, 150.020); });
        day.log(200);
        EXPECT_EQ(day.writers.size(), 1u) << "the other chart ran at call " << call;
    }
}

TEST_P(RealTerminal, ATimerThatCannotBeSetLeavesTheExpertWritingOnTicks) {
    Desk day(GetParam(), false);
    day.mt.failTimers(1);
    day.chart = day.mt.attachExpert("EURUSD");
    ASSERT_NE(day.chart, 0);
    day.mt.openMarket("EURUSD", OrderType::Buy, 0.10);
    day.mt.tick("EURUSD", 1.10000, 1.10020);  // sets the timer again
    EXPECT_EQ(day.log(kStartMs).size(), 1u);
}

TEST_P(RealTerminal, WritesInADoubleByteCodePage) {
    Desk day(GetParam());
    day.mt.setCodePage(mtsim::CodePage::DoubleByte);
    day.mt.addSymbol({"XAU\xE9\x87\x91", 2, 0.01, 100, 0, 2000.00, 2000.50});  // 金: two bytes in the file
    day.mt.openMarket("XAU\xE9\x87\x91", OrderType::Buy, 0.10);
    EXPECT_EQ(day.log(kStartMs).size(), 1u);
    EXPECT_NE(day.text().find(";" + day.mt.toCodePage(u"XAU\u91D1") + ";"), std::string::npos);
    EXPECT_NE(day.mt.chartComment(day.chart).find("last write error: none"), std::string::npos);
}

TEST_P(RealTerminal, HarshRandomSessionsFollowTheRecord) {
    for (unsigned seed : {3u, 4u}) {
        Desk day(GetParam(), false);
        kvterminal::RandomSession session(day.mt, seed, GetParam(), true, 500);
        ASSERT_TRUE(session.setUp());
        std::mt19937 pace(seed);
        for (int step = 0; step < 400 && !HasFailure(); ++step) {
            day.mt.advance(std::uniform_int_distribution<int>(50, 700)(pace));
            if (!session.settled()) {
                session.quietTick();
                continue;
            }
            day.log();
            if (step % 60 == 59) {
                session.nextBreakIsDisconnection() ? day.mt.disconnect() : session.restart(800);
                day.mt.advance(800);
                if (!day.mt.connected()) session.reconnect();
                continue;
            }
            session.act(session.tick());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Accounts, RealTerminal, ::testing::Values(AccountMode::Mt4, AccountMode::Hedging, AccountMode::Netting),
                         [](const auto& info) {
                             return std::string(info.param == AccountMode::Mt4       ? "Mt4"
                                                : info.param == AccountMode::Hedging ? "Mt5Hedging"
                                                                                     : "Mt5Netting");
                         });

}  // namespace
