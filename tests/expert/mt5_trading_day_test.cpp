// A trading day of the MT5 expert in the simulated terminal, on a hedging
// and on a netting account: after every step the log must be whole, its
// lines and stamps right, and every line as the terminal's own record of
// order lines says.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "expert_log.h"
#include "korvane_vantor_expert.h"
#include "sim_terminal.h"

namespace {

namespace fs = std::filesystem;
using mt4sim::AccountMode;
using mt4sim::TicketEventKind;

struct Mt5Day {
    fs::path folder = fs::temp_directory_path() / ("kv-expert5-" + std::to_string(std::random_device{}()) + "-" +
                                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
    mt4sim::Terminal mt5{(fs::remove_all(folder), folder), makeKorvaneVantorExpert5, 1796634000LL * 1000};

    explicit Mt5Day(AccountMode mode) {
        mt5.addAccount(8801, false, mode);
        mt5.addSymbol({"EURUSD", 5, 0.01, 100000, 7.0, 1.10000, 1.10020});
        EXPECT_NE(mt5.attachExpert("EURUSD"), 0);
    }
    ~Mt5Day() { fs::remove_all(folder); }

    // The log after one period; each line must be what the terminal's last
    // event for that line number says: open or closed, type and lots.
    std::map<int, Line> log() {
        mt5.advance(60);
        auto lines = readLog(folder / "systemorder.log");
        std::map<int, const mt4sim::TicketEvent*> last;
        for (const auto& e : mt5.events()) last[e.state.ticket] = &e;
        EXPECT_EQ(lines.size(), last.size());
        for (const auto& [ticket, event] : last) {
            const Line& l = lines[ticket];
            bool ended = event->kind == TicketEventKind::Closed || event->kind == TicketEventKind::Deleted ||
                         event->kind == TicketEventKind::Expired;
            EXPECT_EQ(l.at(4).at(0), ended ? 'X' : 'O') << ticket;
            EXPECT_NEAR(std::stod(l.at(7)), event->state.lots, 1e-9) << ticket;
            const char* types[] = {"BUY", "SELL", "BUYLIMIT", "SELLLIMIT", "BUYSTOP", "SELLSTOP"};
            EXPECT_EQ(l.at(5), types[event->state.type]) << ticket;
        }
        return lines;
    }
    static std::string stamp(const Line& l) { return l[4].substr(1); }
};

TEST(Mt5ExpertTradingDay, HedgingPendingFilledPartialCloseStopLossRestart) {
    Mt5Day day(AccountMode::Hedging);
    auto& mt5 = day.mt5;
    int buy = mt5.openMarket("EURUSD", mt4sim::Buy, 0.30, 1.08800, 1.11000, 42);
    int limit = mt5.placePending("EURUSD", mt4sim::BuyLimit, 0.20, 1.09000, 1.08500, 1.10000);
    auto lines = day.log();
    EXPECT_EQ(lines[buy], (Line{"20261207", "42", "8801", std::to_string(buy), lines[buy][4], "BUY", "EURUSD", "0.30",
                                "1.10020", "1.08800", "1.11000", "0", "0", "0"}));
    const auto before = lines;

    // The pending order filled keeps its ticket: one line whose type changes.
    mt5.tick("EURUSD", 1.08980, 1.09000);
    lines = day.log();
    EXPECT_EQ(lines[limit][8], "1.09000");
    EXPECT_NE(Mt5Day::stamp(lines[limit]), Mt5Day::stamp(before.at(limit)));

    // A partial close keeps the ticket: a modification with smaller lots.
    mt5.tick("EURUSD", 1.10500, 1.10520);
    EXPECT_EQ(mt5.close(buy, 0.10), buy);
    lines = day.log();
    EXPECT_EQ(lines[buy][7], "0.20");
    EXPECT_NE(Mt5Day::stamp(lines[buy]), Mt5Day::stamp(before.at(buy)));

    // MT5 restarted: not one stamp moves.
    const auto steady = lines;
    mt5.restart();
    EXPECT_EQ(day.log(), steady);

    // Closed by its stop loss: the net of all its deals, the partial close's
    // profit and the commission included.
    mt5.tick("EURUSD", 1.08700, 1.08720);
    lines = day.log();
    EXPECT_EQ(lines[buy][11], "1.08800");
    EXPECT_EQ(lines[buy][12], "-198.10");  // 0.10 x +48 pips, 0.20 x -122 pips, less 2.10 commission
    EXPECT_EQ(lines[limit][11], "1.10000");  // the filled order: closed by its take profit at 1.10500

    // A pending order deleted, one expiring, and a restart once closed lines
    // are there: the same log again.
    int deleted = mt5.placePending("EURUSD", mt4sim::SellStop, 0.10, 1.08000);
    mt5.placePending("EURUSD", mt4sim::SellLimit, 0.10, 1.10000, 0, 0, mt5.nowSeconds() + 600);
    mt5.openMarket("EURUSD", mt4sim::Sell, 0.01);
    ASSERT_TRUE(mt5.deletePending(deleted));
    day.log();
    mt5.advance(600 * 1000);
    const auto closed = day.log();
    EXPECT_EQ(closed.size(), 5u);
    mt5.restart();
    EXPECT_EQ(day.log(), closed);

    // Off for longer than the retention window: only the open position is left.
    mt5.restart(97LL * 3600 * 1000);
    mt5.advance(60);
    EXPECT_EQ(readLog(day.folder / "systemorder.log").size(), 1u);
}

TEST(Mt5ExpertTradingDay, NettingAddReduceReversalJoinedOrderAndStopLoss) {
    Mt5Day day(AccountMode::Netting);
    auto& mt5 = day.mt5;
    int first = mt5.openMarket("EURUSD", mt4sim::Buy, 0.10);
    auto lines = day.log();
    std::string opened = Mt5Day::stamp(lines[first]);

    // Deals that add to or reduce the position change its one line.
    mt5.tick("EURUSD", 1.10100, 1.10120);
    mt5.openMarket("EURUSD", mt4sim::Buy, 0.30);
    lines = day.log();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[first][7], "0.40");
    EXPECT_EQ(lines[first][8], "1.10095");  // the average of the entries
    EXPECT_NE(Mt5Day::stamp(lines[first]), opened);
    mt5.openMarket("EURUSD", mt4sim::Sell, 0.15);
    lines = day.log();
    EXPECT_EQ(lines[first][7], "0.25");

    // A reversal closes the line and opens one under the reversing order's ticket.
    mt5.tick("EURUSD", 1.10300, 1.10320);
    int reversal = mt5.openMarket("EURUSD", mt4sim::Sell, 0.60);
    lines = day.log();
    EXPECT_EQ(lines[first][7], "0.25");
    EXPECT_EQ(lines[first][11], "1.10300");
    EXPECT_EQ(lines[first][12], "46.75");  // 0.15 at +0.5 pip, 0.25 at +20.5 pips, less 5.25 commission (the reversal's too)
    EXPECT_EQ(lines[reversal][4][0], 'O');
    EXPECT_EQ(lines[reversal][7], "0.35");
    EXPECT_EQ(lines[reversal][8], "1.10300");

    // A restart: the reversed line keeps its number and stamp.
    const auto steady = lines;
    mt5.restart();
    EXPECT_EQ(day.log(), steady);
    mt5.openMarket("EURUSD", mt4sim::Buy, 0.05);  // reduced after the reversal: the line stays open
    EXPECT_EQ(day.log()[reversal][7], "0.30");

    // A pending order that joins the position ends as a deleted order.
    int joining = mt5.placePending("EURUSD", mt4sim::SellLimit, 0.05, 1.10400);
    day.log();
    mt5.tick("EURUSD", 1.10400, 1.10420);
    lines = day.log();
    EXPECT_EQ(lines[joining][4][0], 'X');
    EXPECT_EQ(lines[reversal][7], "0.35");

    // Closed by its stop loss.
    int position = mt5.openOrders().front().ticket;
    ASSERT_TRUE(mt5.modify(position, 0, 1.10600, 0, 0));
    day.log();
    mt5.tick("EURUSD", 1.10580, 1.10600);
    lines = day.log();
    EXPECT_EQ(lines[reversal][4][0], 'X');
    EXPECT_EQ(lines[reversal][11], "1.10600");
    EXPECT_EQ(lines[reversal][9], "1.10600");
}

// A random session on each kind of account: after every step each line is
// what the terminal's record says, and a restart changes nothing.
TEST(Mt5ExpertTradingDay, RandomSessionsFollowTheRecord) {
    for (AccountMode mode : {AccountMode::Hedging, AccountMode::Netting}) {
        Mt5Day day(mode);
        auto& mt5 = day.mt5;
        std::mt19937 random(mode == AccountMode::Netting ? 5 : 7);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        double bid = 1.10000;
        for (int step = 0; step < 300 && !::testing::Test::HasFailure(); ++step) {
            const auto& open = mt5.openOrders();
            int some = open.empty() ? 0 : open[static_cast<size_t>(pick(static_cast<int>(open.size())))].ticket;
            double lots = 0.01 * (1 + pick(30));
            switch (pick(6)) {
                case 0: mt5.openMarket("EURUSD", pick(2), lots, 0, 0, pick(3)); break;
                case 1: mt5.placePending("EURUSD", 2 + pick(4), lots, bid + 0.0001 * (pick(41) - 20)); break;
                case 2: mt5.modify(some, bid + 0.0001 * (pick(41) - 20), bid - 0.0050, bid + 0.0050, 0); break;
                case 3: mt5.close(some, lots); mt5.deletePending(some); break;
                case 4: mt5.restart(); break;
                default: bid += 0.0001 * (pick(61) - 30); mt5.tick("EURUSD", bid, bid + 0.0002);
            }
            auto lines = day.log();
            mt5.restart();
            EXPECT_EQ(day.log(), lines) << "step " << step;
        }
    }
}

}  // namespace
