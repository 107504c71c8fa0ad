// A trading day of our experts in the simulated terminal: MT4, and MT5 on a
// hedging and on a netting account. After every step the log must be whole
// and every line as the terminal's record says; here also the fields and
// stamps themselves.
#include <gtest/gtest.h>

#include "expert_desk.h"

namespace {

constexpr int64_t kStartMs = 2100;  // the expert waits 2 s for the lists to settle

TEST(ExpertTradingDay, Mt4LinesAndStampsFollowEveryChange) {
    Desk day(AccountMode::Mt4);
    mtsim::Terminal& mt4 = day.mt;
    ASSERT_NE(day.chart, 0);
    EXPECT_TRUE(day.log(kStartMs).empty());

    int buy = mt4.openMarket("EURUSD", OrderType::Buy, 0.10, 1.09500, 1.11000, 42);
    int limit = mt4.placePending("EURUSD", OrderType::BuyLimit, 0.25, 1.09000, 1.08500, 1.10000);
    int stop = mt4.placePending("USDJPY", OrderType::SellStop, 1.5, 149.500, 150.500, 148.000);
    auto lines = day.log();
    Line b = lines.at(buy);
    EXPECT_EQ(b, (Line{"20261207", "42", "5551001", std::to_string(buy), b.at(4), "BUY", "EURUSD", "0.10", "1.10020", "1.09500",
                       "1.11000", "0", "0", "1"}));
    EXPECT_EQ(lines.at(stop).at(7), "1.5");      // the lot step's decimals
    EXPECT_EQ(lines.at(stop).at(8), "149.500");  // the symbol's digits
    const auto before = lines;

    // Nothing changes: no write at all.
    auto written = std::filesystem::last_write_time(day.folder / "systemorder.log");
    mt4.advance(1000);
    EXPECT_EQ(std::filesystem::last_write_time(day.folder / "systemorder.log"), written);

    // Stop loss, then take profit moved: only that order's stamp changes, and
    // back to the same state is back to the same stamp.
    mt4.modify(buy, 0, 1.08800, 1.11000, 0);
    lines = day.log();
    EXPECT_NE(Desk::stamp(lines.at(buy)), Desk::stamp(before.at(buy)));
    EXPECT_EQ(lines.at(limit), before.at(limit));
    const std::string slStamp = Desk::stamp(lines.at(buy));
    mt4.modify(buy, 0, 1.08800, 1.11500, 0);
    EXPECT_NE(Desk::stamp(day.log().at(buy)), slStamp);
    mt4.modify(buy, 0, 1.08800, 1.11000, 0);
    EXPECT_EQ(Desk::stamp(day.log().at(buy)), slStamp);

    // Restarted, recompiled, the timeframe changed: the log is written again, the same.
    const auto steady = day.log();
    for (auto change : {+[](Desk& d) { d.mt.restart(); }, +[](Desk& d) { d.mt.recompile(); },
                        +[](Desk& d) { d.mt.changeTimeframe(d.chart); }}) {
        std::filesystem::remove(day.folder / "systemorder.log");
        change(day);
        EXPECT_EQ(day.log(kStartMs), steady);
    }

    // The pending order filled (same ticket, new type and stamp), closed by
    // its take profit; a partial close (the rest under a new ticket); a
    // close by stop loss.
    mt4.tick("EURUSD", 1.08980, 1.09000);
    lines = day.log();
    EXPECT_EQ(lines.at(limit).at(5), "BUY");
    EXPECT_NE(Desk::stamp(lines.at(limit)), Desk::stamp(steady.at(limit)));
    mt4.tick("EURUSD", 1.10500, 1.10520);
    int rest = mt4.close(buy, 0.04);
    lines = day.log();
    EXPECT_EQ(lines.at(limit).at(11), "1.10000");
    EXPECT_EQ(lines.at(buy).at(11), "1.10500");
    EXPECT_EQ(lines.at(buy).at(12), "18.92");  // (1.10500 - 1.10020) * 0.04 lots, less 0.28 commission
    EXPECT_EQ(lines.at(rest).at(7), "0.06");
    mt4.tick("EURUSD", 1.08400, 1.08420);
    EXPECT_EQ(day.log().at(rest).at(11), "1.08800");

    // A pending order deleted, one expiring.
    int expiring = mt4.placePending("EURUSD", OrderType::SellLimit, 0.10, 1.10000, 0, 0, mt4.nowSeconds() + 600);
    ASSERT_TRUE(mt4.deletePending(stop));
    EXPECT_EQ(day.log().at(stop).at(4).at(0), 'X');
    EXPECT_EQ(day.log(600 * 1000).at(expiring).at(4).at(0), 'X');

    // A FileMove that fails, then a FileOpen: the old log stays whole, the
    // chart says why, and the next period writes.
    mt4.deposit(1000);  // a balance entry is never a line
    const std::string beforeFault = day.text();
    mt4.openMarket("EURUSD", OrderType::Sell, 0.01);
    mt4.failFileMoves(1);
    mt4.failFileOpens(1);
    mt4.advance(50);
    EXPECT_EQ(day.text(), beforeFault);
    EXPECT_NE(mt4.chartComment(day.chart).find("cannot open systemorder.tmp"), std::string::npos);
    mt4.advance(50);
    EXPECT_EQ(day.text(), beforeFault);
    EXPECT_NE(mt4.chartComment(day.chart).find("cannot replace systemorder.log"), std::string::npos);
    EXPECT_EQ(day.log(50).size(), 6u);
    EXPECT_NE(mt4.chartComment(day.chart).find("6 lines in systemorder.log"), std::string::npos);
    EXPECT_NE(mt4.chartComment(day.chart).find("last write error: none"), std::string::npos);

    // Off over a weekend: the closed orders leave the log once the retention window has passed.
    mt4.restart(47LL * 3600 * 1000);
    mt4.advance(kStartMs);
    EXPECT_EQ(parseLog(day.text()).size(), 6u);
    mt4.restart(50LL * 3600 * 1000);
    mt4.advance(kStartMs);
    EXPECT_EQ(parseLog(day.text()).size(), 1u);
}

TEST(ExpertTradingDay, Mt5HedgingPendingFilledPartialCloseStopLossRestart) {
    Desk day(AccountMode::Hedging);
    auto& mt5 = day.mt;
    day.log(kStartMs);
    int buy = mt5.openMarket("EURUSD", OrderType::Buy, 0.30, 1.08800, 1.11000, 42);
    int limit = mt5.placePending("EURUSD", OrderType::BuyLimit, 0.20, 1.09000, 1.08500, 1.10000);
    auto lines = day.log();
    EXPECT_EQ(lines.at(buy), (Line{"20261207", "42", "5551001", std::to_string(buy), lines.at(buy).at(4), "BUY", "EURUSD", "0.30",
                                "1.10020", "1.08800", "1.11000", "0", "0", "1"}));
    const auto before = lines;

    // The pending order filled keeps its ticket; a partial close keeps the
    // position's: modifications, the lots smaller.
    mt5.tick("EURUSD", 1.08980, 1.09000);
    EXPECT_NE(Desk::stamp(day.log().at(limit)), Desk::stamp(before.at(limit)));
    mt5.tick("EURUSD", 1.10500, 1.10520);
    EXPECT_EQ(mt5.close(buy, 0.10), buy);
    EXPECT_EQ(day.log().at(buy).at(7), "0.20");

    const auto steady = day.log();
    mt5.restart();
    EXPECT_EQ(day.log(kStartMs), steady);

    // Closed by its stop loss: the net of all its deals.
    mt5.tick("EURUSD", 1.08700, 1.08720);
    lines = day.log();
    EXPECT_EQ(lines.at(buy).at(11), "1.08800");
    EXPECT_EQ(lines.at(buy).at(12), "-198.10");  // 0.10 x +48 pips, 0.20 x -122 pips, less 2.10 commission
    EXPECT_EQ(lines.at(limit).at(11), "1.10000");

    // A pending order deleted, one expiring, and a restart: the same log again.
    int deleted = mt5.placePending("EURUSD", OrderType::SellStop, 0.10, 1.08000);
    mt5.placePending("EURUSD", OrderType::SellLimit, 0.10, 1.10000, 0, 0, mt5.nowSeconds() + 600);
    mt5.openMarket("EURUSD", OrderType::Sell, 0.01);
    ASSERT_TRUE(mt5.deletePending(deleted));
    day.log();
    const auto closed = day.log(600 * 1000);
    EXPECT_EQ(closed.size(), 5u);
    mt5.restart();
    EXPECT_EQ(day.log(kStartMs), closed);

    // Off for longer than the retention window: only the open position is left.
    mt5.restart(97LL * 3600 * 1000);
    mt5.advance(kStartMs);
    EXPECT_EQ(parseLog(day.text()).size(), 1u);
}

TEST(ExpertTradingDay, Mt5NettingAddReduceReversalJoinedOrderAndStopLoss) {
    Desk day(AccountMode::Netting);
    auto& mt5 = day.mt;
    day.log(kStartMs);
    int first = mt5.openMarket("EURUSD", OrderType::Buy, 0.10);
    const std::string opened = Desk::stamp(day.log().at(first));

    // Deals that add to or reduce the position change its one line.
    mt5.tick("EURUSD", 1.10100, 1.10120);
    mt5.openMarket("EURUSD", OrderType::Buy, 0.30);
    auto lines = day.log();
    EXPECT_EQ(lines.at(first).at(8), "1.10095");  // the average of the entries
    EXPECT_NE(Desk::stamp(lines.at(first)), opened);
    mt5.openMarket("EURUSD", OrderType::Sell, 0.15);
    EXPECT_EQ(day.log().at(first).at(7), "0.25");

    // A reversal closes the line and opens one under the reversing order's ticket.
    mt5.tick("EURUSD", 1.10300, 1.10320);
    int reversal = mt5.openMarket("EURUSD", OrderType::Sell, 0.60);
    lines = day.log();
    EXPECT_EQ(lines.at(first).at(11), "1.10300");
    EXPECT_EQ(lines.at(first).at(12), "46.75");  // 0.15 at +0.5 pip, 0.25 at +20.5 pips, less 5.25 commission (the reversal's too)
    EXPECT_EQ(lines.at(reversal).at(7), "0.35");
    EXPECT_EQ(lines.at(reversal).at(8), "1.10300");

    // A restart: the reversed line keeps its number and stamp.
    const auto steady = lines;
    mt5.restart();
    EXPECT_EQ(day.log(kStartMs), steady);
    mt5.openMarket("EURUSD", OrderType::Buy, 0.05);
    EXPECT_EQ(day.log().at(reversal).at(7), "0.30");

    // A pending order that joins the position ends as a deleted order.
    int joining = mt5.placePending("EURUSD", OrderType::SellLimit, 0.05, 1.10400);
    day.log();
    mt5.tick("EURUSD", 1.10400, 1.10420);
    EXPECT_EQ(day.log().at(joining).at(4).at(0), 'X');

    // Closed by its stop loss.
    ASSERT_TRUE(mt5.modify(mt5.mt5().positions.front().ticket, 0, 1.10600, 0, 0));
    day.log();
    mt5.tick("EURUSD", 1.10580, 1.10600);
    lines = day.log();
    EXPECT_EQ(lines.at(reversal).at(11), "1.10600");
    EXPECT_EQ(lines.at(reversal).at(9), "1.10600");
}

TEST(ExpertTerminalEvents, OneWriterPerTerminalAccountSwitchAndFiveHundredOrders) {
    Desk day(AccountMode::Mt4);
    auto& mt4 = day.mt;
    int first = mt4.openMarket("EURUSD", OrderType::Buy, 1.0);
    ASSERT_EQ(day.log(kStartMs).size(), 1u);

    // A second chart stands down and says so; when the first copy goes, it takes over.
    int second = mt4.attachExpert("USDJPY");
    mt4.advance(6000);  // longer than a silent writer is given
    EXPECT_NE(mt4.chartComment(second).find("stands by"), std::string::npos);
    mt4.detachExpert(day.chart);
    std::filesystem::remove(day.folder / "systemorder.log");
    EXPECT_EQ(day.log(kStartMs).size(), 1u);
    EXPECT_NE(mt4.chartComment(second).find("1 lines"), std::string::npos);

    // A writer stopped by a critical error (no OnDeinit) falls silent; a new
    // copy takes over once it has been silent for 5 s.
    int third = mt4.attachExpert("EURUSD");
    mt4.crashExpert(second);
    mt4.openMarket("EURUSD", OrderType::Sell, 0.5);
    mt4.advance(4000);
    EXPECT_EQ(parseLog(day.text()).size(), 1u);
    EXPECT_EQ(day.log(2000).size(), 2u);
    EXPECT_EQ(day.writers, (std::set<int>{day.chart, second, third}));

    // After an account switch only the new account's orders are written.
    mt4.switchAccount(7002);
    EXPECT_TRUE(day.log(kStartMs).empty());
    int other = mt4.openMarket("USDJPY", OrderType::Sell, 0.3);
    auto lines = day.log();
    EXPECT_EQ(lines.at(other).at(2), "7002");
    EXPECT_EQ(lines.at(other).at(13), "0");
    EXPECT_FALSE(lines.count(first));

    // 500 open orders at once: all written in one period.
    for (int i = 0; i < 499; ++i) mt4.openMarket("EURUSD", i % 2 ? OrderType::Buy : OrderType::Sell, 0.01 * (1 + i % 7));
    EXPECT_EQ(day.log().size(), 500u);
}

}  // namespace
