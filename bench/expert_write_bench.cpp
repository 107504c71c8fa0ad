// Our experts in the simulated terminal with 500 open orders (MT4) or
// positions (MT5, hedging) and 20,000 history records (closed orders, or
// the deals of 10,000 closed positions) over the last 30 days: the cost of
// one timer period that writes the log after one order changed, and of one
// in which nothing changed, which the trader's terminal pays every 50 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "korvane_vantor_expert.h"
#include "sim_terminal.h"

namespace {

namespace fs = std::filesystem;

constexpr int kHistoryRecords = 20000;
constexpr int64_t kThirtyDaysMs = 30LL * 24 * 3600 * 1000;

struct Desk {
    fs::path folder = fs::temp_directory_path() / ("kv-expert-bench-" + std::to_string(std::random_device{}()));
    mtsim::Terminal mt;
    int first = 0;

    Desk(int orders, bool mt5)
        : mt((fs::remove_all(folder), folder), mt5 ? makeKorvaneVantorExpert5 : makeKorvaneVantorExpert,
             1796634000LL * 1000 - kThirtyDaysMs) {
        mt.addAccount(5551001, true, mt5 ? mtsim::AccountMode::Hedging : mtsim::AccountMode::Mt4);
        mt.addSymbol({"EURUSD", 5, 0.01, 100000, 7.0, 1.10000, 1.10020});
        const int closed = mt5 ? kHistoryRecords / 2 : kHistoryRecords;  // an MT5 position leaves two deals
        for (int i = 0; i < closed; ++i) {
            const int ticket = mt.openMarket("EURUSD", mtsim::OrderType::Buy, 0.01, 0, 0, i);
            mt.close(mt5 ? mt.mt5().positions.back().ticket : ticket);
            mt.advance(kThirtyDaysMs / closed);
        }
        for (int i = 0; i < orders; ++i) {
            int ticket = mt.openMarket("EURUSD", i % 2 ? mtsim::OrderType::Buy : mtsim::OrderType::Sell, 0.01 * (1 + i % 9),
                                       1.05, 1.15, i);
            if (i == 0) first = ticket;
        }
        mt.attachExpert("EURUSD");
        mt.advance(2500);  // the expert waits for the lists to settle, then writes
    }
    ~Desk() { fs::remove_all(folder); }
};

// One period in which one order's take profit moved: rebuild and atomic write.
void writePeriod(benchmark::State& state, bool mt5) {
    Desk desk(static_cast<int>(state.range(0)), mt5);
    int step = 0;
    for (auto _ : state) {
        desk.mt.modify(desk.first, 0, 1.05, 1.15 + 0.0001 * (++step % 2), 0);
        desk.mt.advance(50);  // exactly one timer event
    }
}

// One period with nothing changed: rebuild and compare only.
void idlePeriod(benchmark::State& state, bool mt5) {
    Desk desk(static_cast<int>(state.range(0)), mt5);
    for (auto _ : state) desk.mt.advance(50);
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}  // plain text: the figures go into reports
    std::map<std::string, double> ms;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) ms[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
};

}  // namespace

int main(int argc, char** argv) {
    for (bool mt5 : {false, true}) {
        std::string name = mt5 ? "expert5" : "expert";
        benchmark::RegisterBenchmark((name + "_write_period").c_str(), writePeriod, mt5)->Arg(500)->Iterations(200)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "_idle_period").c_str(), idlePeriod, mt5)->Arg(500)->Iterations(2000)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nMT4 expert, 500 open orders, 20,000 history records: %.3f ms to write the log after one change, "
                "%.4f ms for a period with nothing to write (period 50 ms)\n",
                reporter.ms["expert_write_period"], reporter.ms["expert_idle_period"]);
    std::printf("MT5 expert, 500 open positions (hedging), 20,000 deals: %.3f ms to write the log after one change, "
                "%.4f ms for a period with nothing to write (period 50 ms)\n",
                reporter.ms["expert5_write_period"], reporter.ms["expert5_idle_period"]);
    benchmark::Shutdown();
}
