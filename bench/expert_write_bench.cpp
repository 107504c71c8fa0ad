// Our expert in the simulated terminal with 500 open orders: the cost of one
// timer period that rebuilds the log and writes it (one order changed), and
// of one that rebuilds it and finds nothing to write. Both must stay well
// within the expert's 50 ms period.
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

struct Desk {
    fs::path folder = fs::temp_directory_path() / ("kv-expert-bench-" + std::to_string(std::random_device{}()));
    mt4sim::Terminal mt4{(fs::remove_all(folder), folder), makeKorvaneVantorExpert, 1796634000LL * 1000};
    int first = 0;

    explicit Desk(int orders) {
        mt4.addAccount(5551001, true);
        mt4.addSymbol({"EURUSD", 5, 0.01, 100000, 7.0, 1.10000, 1.10020});
        for (int i = 0; i < orders; ++i) {
            int ticket = mt4.openMarket("EURUSD", i % 2 ? mt4sim::Buy : mt4sim::Sell, 0.01 * (1 + i % 9), 1.05, 1.15, i);
            if (i == 0) first = ticket;
        }
        mt4.attachExpert("EURUSD");
        mt4.advance(50);
    }
    ~Desk() { fs::remove_all(folder); }
};

// One period in which one order's take profit moved: rebuild and atomic write.
void writePeriod(benchmark::State& state) {
    Desk desk(static_cast<int>(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        desk.mt4.modify(desk.first, 0, 1.05, 1.15 + 0.0001 * (++step % 2), 0);
        desk.mt4.advance(50);  // exactly one timer event
    }
}

// One period with nothing changed: rebuild and compare only.
void idlePeriod(benchmark::State& state) {
    Desk desk(static_cast<int>(state.range(0)));
    for (auto _ : state) desk.mt4.advance(50);
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
    benchmark::RegisterBenchmark("expert_write_period", writePeriod)->Arg(500)->Iterations(200)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("expert_idle_period", idlePeriod)->Arg(500)->Iterations(200)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nexpert, 500 open orders: %.3f ms to build and write the log, %.3f ms for a period with nothing to write "
                "(period 50 ms)\n",
                reporter.ms["expert_write_period"], reporter.ms["expert_idle_period"]);
    benchmark::Shutdown();
}
