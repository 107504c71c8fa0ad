// A trading day in the simulated MT4 terminal with our expert on a chart:
// after every step the log must be whole and its lines and stamps right.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "korvane_vantor_expert.h"
#define KV_MQL4_RUNTIME_IMPLEMENTATION  // the types only, without the expert's input macro
#include "mql4_runtime.h"
#include "sim_terminal.h"

// MQL4 turns a number joined to text into text; the C++ build must refuse it
// instead of compiling something else (pointer arithmetic, a char).
template <class T>
concept JoinsNumber = requires(T text) { text + 1; } || requires(T text) { text = 2.5; } || requires { T(3); };
static_assert(!JoinsNumber<string>);

namespace {

namespace fs = std::filesystem;
using mt4sim::Terminal;

constexpr int64_t kDayStartMs = 1796634000LL * 1000;  // 2026-12-07 09:00:00

using Line = std::vector<std::string>;  // the 14 fields

// The log as the relay reads it; fails the test unless every line is whole:
// CR LF ended, no stray CR or LF, fourteen fields.
std::map<int, Line> readLog(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in.good()) << "no " << file;
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string text = bytes.str();
    std::map<int, Line> lines;
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << text;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        std::string raw = text.substr(start, end - start);
        start = end + 2;
        EXPECT_EQ(raw.find_first_of("\r\n"), std::string::npos) << raw;
        Line fields;
        std::stringstream split(raw);
        for (std::string field; std::getline(split, field, ';');) fields.push_back(field);
        EXPECT_EQ(fields.size(), 14u) << raw;
        if (fields.size() == 14) lines[std::stoi(fields[3])] = fields;
    }
    return lines;
}

struct Day {
    // Unique per run: other builds may run the same test at the same time.
    fs::path folder = fs::temp_directory_path() / ("kv-expert-" + std::to_string(std::random_device{}()) + "-" +
                                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Terminal mt4{(fs::remove_all(folder), folder), makeKorvaneVantorExpert, kDayStartMs};
    int chart = 0;

    Day() {
        mt4.addAccount(5551001, true);
        mt4.addAccount(7002, false);
        mt4.addSymbol({"EURUSD", 5, 0.01, 100000, 7.0, 1.10000, 1.10020});
        mt4.addSymbol({"USDJPY", 3, 0.1, 100000, 0, 150.000, 150.020});
        chart = mt4.attachExpert("EURUSD");
    }
    ~Day() { fs::remove_all(folder); }
    std::map<int, Line> log(int64_t ms = 60) {  // one timer period and a bit
        mt4.advance(ms);
        return readLog(folder / "systemorder.log");
    }
    static std::string stamp(const Line& l) { return l[4].substr(1); }
};

TEST(ExpertTradingDay, LinesAndStampsFollowEveryChange) {
    Day day;
    Terminal& mt4 = day.mt4;
    ASSERT_NE(day.chart, 0);
    EXPECT_TRUE(day.log().empty());

    // Market and pending orders opened.
    int buy = mt4.openMarket("EURUSD", mt4sim::Buy, 0.10, 1.09500, 1.11000, 42);
    int limit = mt4.placePending("EURUSD", mt4sim::BuyLimit, 0.25, 1.09000, 1.08500, 1.10000);
    int stop = mt4.placePending("USDJPY", mt4sim::SellStop, 1.5, 149.500, 150.500, 148.000);
    auto lines = day.log();
    ASSERT_EQ(lines.size(), 3u);
    Line b = lines[buy];
    EXPECT_EQ(b, (Line{"20261207", "42", "5551001", std::to_string(buy), b[4], "BUY", "EURUSD", "0.10", "1.10020", "1.09500",
                       "1.11000", "0", "0", "1"}));
    EXPECT_EQ(b[4][0], 'O');
    EXPECT_EQ(lines[limit][5], "BUYLIMIT");
    EXPECT_EQ(lines[stop][7], "1.5");  // the lot step's decimals
    EXPECT_EQ(lines[stop][8], "149.500");  // the symbol's digits
    const auto before = lines;

    // Nothing changes: no write at all.
    auto written = fs::last_write_time(day.folder / "systemorder.log");
    mt4.advance(1000);
    EXPECT_EQ(fs::last_write_time(day.folder / "systemorder.log"), written);

    // Stop loss, then take profit moved: only that order's stamp changes, each time.
    mt4.modify(buy, 0, 1.08800, 1.11000, 0);
    lines = day.log();
    EXPECT_NE(Day::stamp(lines[buy]), Day::stamp(before.at(buy)));
    EXPECT_EQ(lines[buy][9], "1.08800");
    EXPECT_EQ(lines[limit], before.at(limit));
    std::string slStamp = Day::stamp(lines[buy]);
    mt4.modify(buy, 0, 1.08800, 1.11500, 0);
    lines = day.log();
    EXPECT_NE(Day::stamp(lines[buy]), slStamp);
    mt4.modify(buy, 0, 1.08800, 1.11000, 0);  // back to the same state: back to the same stamp
    lines = day.log();
    EXPECT_EQ(Day::stamp(lines[buy]), slStamp);

    // MT4 restarted, the expert recompiled, the timeframe changed: no stamp moves.
    const auto steady = lines;
    mt4.restart();
    EXPECT_EQ(day.log(), steady);
    mt4.recompile();
    EXPECT_EQ(day.log(), steady);
    mt4.changeTimeframe(day.chart);
    EXPECT_EQ(day.log(), steady);

    // The pending order filled: same ticket, new type, new stamp.
    mt4.tick("EURUSD", 1.08980, 1.09000);
    lines = day.log();
    EXPECT_EQ(lines[limit][5], "BUY");
    EXPECT_NE(Day::stamp(lines[limit]), Day::stamp(steady.at(limit)));

    // A close by take profit (the filled order), then a partial close: the
    // ticket closes with the closed lots, the rest gets a new ticket.
    mt4.tick("EURUSD", 1.10500, 1.10520);
    int rest = mt4.close(buy, 0.04);
    lines = day.log();
    EXPECT_EQ(lines[limit][4][0], 'X');
    EXPECT_EQ(lines[limit][11], "1.10000");
    ASSERT_NE(rest, buy);
    EXPECT_EQ(lines[buy][4][0], 'X');
    EXPECT_EQ(lines[buy][7], "0.04");
    EXPECT_EQ(lines[buy][11], "1.10500");
    EXPECT_EQ(lines[buy][12], "18.92");  // (1.10500 - 1.10020) * 0.04 lots, less 0.28 commission
    EXPECT_EQ(lines[rest][4][0], 'O');
    EXPECT_EQ(lines[rest][7], "0.06");

    // A close by stop loss (the rest of the first order).
    mt4.tick("EURUSD", 1.08400, 1.08420);
    lines = day.log();
    EXPECT_EQ(lines[rest][4][0], 'X');
    EXPECT_EQ(lines[rest][11], "1.08800");

    // A pending order deleted, and one expiring.
    int expiring = mt4.placePending("EURUSD", mt4sim::SellLimit, 0.10, 1.10000, 0, 0, mt4.nowSeconds() + 600);
    ASSERT_TRUE(mt4.deletePending(stop));
    lines = day.log();
    EXPECT_EQ(lines[stop][4][0], 'X');
    EXPECT_EQ(lines[stop][5], "SELLSTOP");
    EXPECT_EQ(lines[expiring][4][0], 'O');
    lines = day.log(600 * 1000);
    EXPECT_EQ(lines[expiring][4][0], 'X');
    EXPECT_EQ(lines.size(), 5u);

    // A FileMove that fails, then a FileOpen: the old log stays whole, the
    // chart says why, and the next period writes.
    mt4.deposit(1000);  // a balance entry is never a line
    const auto beforeFault = day.log();
    int late = mt4.openMarket("EURUSD", mt4sim::Sell, 0.01);
    mt4.failFileMoves(1);
    mt4.failFileOpens(1);
    EXPECT_EQ(day.log(50), beforeFault);  // exactly one timer event each
    EXPECT_NE(mt4.chartComment(day.chart).find("cannot open systemorder.tmp"), std::string::npos);
    EXPECT_EQ(day.log(50), beforeFault);
    EXPECT_NE(mt4.chartComment(day.chart).find("cannot replace systemorder.log"), std::string::npos);
    lines = day.log(50);
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[late][5], "SELL");
    EXPECT_NE(mt4.chartComment(day.chart).find("6 orders in systemorder.log"), std::string::npos);
    EXPECT_NE(mt4.chartComment(day.chart).find("last write error: none"), std::string::npos);

    // MT4 off over a weekend: the closed orders leave the log once the
    // retention window has passed.
    mt4.restart(47LL * 3600 * 1000);
    EXPECT_EQ(day.log().size(), 6u);
    mt4.restart(50LL * 3600 * 1000);
    EXPECT_EQ(day.log().size(), 1u);
}

TEST(ExpertTerminalEvents, OneWriterPerTerminalAccountSwitchAndFiveHundredOrders) {
    Day day;
    Terminal& mt4 = day.mt4;
    int first = mt4.openMarket("EURUSD", mt4sim::Buy, 1.0);
    ASSERT_EQ(day.log().size(), 1u);

    // A second chart stands down and says so; when the first copy goes, it takes over.
    int second = mt4.attachExpert("USDJPY");
    mt4.advance(6000);  // longer than a silent writer is given
    EXPECT_NE(mt4.chartComment(second).find("stands by"), std::string::npos);
    EXPECT_NE(mt4.chartComment(day.chart).find("1 orders"), std::string::npos);
    mt4.detachExpert(day.chart);
    fs::remove(day.folder / "systemorder.log");
    EXPECT_EQ(day.log().size(), 1u);
    EXPECT_NE(mt4.chartComment(second).find("1 orders"), std::string::npos);

    // A writer stopped by a critical error (no OnDeinit) falls silent; a new
    // copy takes over once it has been silent for 5 s.
    int third = mt4.attachExpert("EURUSD");
    mt4.crashExpert(second);
    mt4.openMarket("EURUSD", mt4sim::Sell, 0.5);
    EXPECT_EQ(day.log(4000).size(), 1u);
    EXPECT_EQ(day.log(2000).size(), 2u);
    EXPECT_NE(mt4.chartComment(third).find("2 orders"), std::string::npos);

    // The restart frees the claim: one of the copies writes again.
    mt4.restart();
    fs::remove(day.folder / "systemorder.log");
    EXPECT_EQ(day.log().size(), 2u);

    // After an account switch only the new account's orders are written.
    mt4.switchAccount(7002);
    auto lines = day.log();
    EXPECT_TRUE(lines.empty());
    int other = mt4.openMarket("USDJPY", mt4sim::Sell, 0.3);
    lines = day.log();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[other][2], "7002");
    EXPECT_EQ(lines[other][13], "0");
    EXPECT_FALSE(lines.count(first));
    EXPECT_TRUE(mt4.hasExpert(third));

    // 500 open orders at once: all written in one period.
    for (int i = 0; i < 499; ++i) mt4.openMarket("EURUSD", i % 2 ? mt4sim::Buy : mt4sim::Sell, 0.01 * (1 + i % 7));
    EXPECT_EQ(day.log().size(), 500u);
}

}  // namespace
