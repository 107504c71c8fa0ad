// One poll cycle against real files in a temporary folder, for growing
// numbers of open orders: an idle cycle (nothing changed), a busy idle cycle
// (the log's bytes change, say floating profits, but no order event), an
// all-new cycle (every order reported and acknowledged by an instant
// in-process service), and the I/O floor (the same bytes read and written
// through the same file layer, without any parsing).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "reference_service/acknowledgement.h"
#include "relay/frm_manual.h"
#include "relay/poll_cycle.h"

namespace {

using kv::platform::headless::HeadlessPlatform;

// Acknowledges every event at once from a map orderNo -> field 5.
class InstantService : public kv::platform::WebFetcherFactory {
public:
    std::unordered_map<std::string, std::string> field5;
    long requests = 0;

    std::unique_ptr<kv::platform::WebFetcher> create() override { return std::make_unique<Fetcher>(*this); }

private:
    struct Fetcher : kv::platform::WebFetcher {
        explicit Fetcher(InstantService& s) : service(s) {}
        kv::platform::Fetched FetchUrl(const std::string& url) override {
            ++service.requests;
            auto at = url.find("&orderno=") + 9;
            std::string no = url.substr(at, url.find('&', at) - at);
            return {refsvc::acknowledgement(no, service.field5.at(no), false)};
        }
        InstantService& service;
    };
};

// A trader's machine with `orders` open orders in the MT4 order log.
struct Machine {
    explicit Machine(int orders) {
        hp.makeFolder("MT4/experts/files");
        hp.writeFile("Data/TempInit.dat", "20261205\r\n");
        for (int i = 0; i < orders; ++i) {
            std::string no = std::to_string(10000000 + i);
            std::string state = "O" + std::to_string(1700000000 + i);
            service.field5[no] = state;
            std::string line = "20261204;0;12345678;" + no + ";" + state + ";BUY;EURUSD;0.10;1.10000;1.09500;1.11000;0;";
            orderLog += line + "0;1\r\n";
            otherProfits += line + "0.5;1\r\n";
            knownLog += no + ";O;" + state.substr(1) + "\r\n";
        }
        hp.writeFile("MT4/experts/files/systemorder.log", orderLog);
        hp.writeFile("Data/TempClose.dat", "");
        main.pathname1 = hp.root() + "\\MT4\\experts\\files";
        main.host = "http://127.0.0.1:8080";
        module.systemId = "7";
        module.loginDate = 20261205;
        manual.use();
    }

    void forgetReportedOrders() {
        hp.writeFile("MT4/experts/files/manualorder.log", "");
        hp.writeFile("Data/Active.log", "");
    }
    void knowEveryOrder() { hp.writeFile("MT4/experts/files/manualorder.log", knownLog); }

    HeadlessPlatform hp;
    InstantService service;
    kv::platform::Platform platform{hp.files, hp.text, hp.clock, hp.messages, service, hp.timers, hp.windows,
                                    hp.tray, hp.menus, hp.fileDialog, hp.process, hp.folderWatch, hp.expert,
                                    hp.root()};
    kv::FrmMainMdi main;
    kv::ProsesWriteMO module;
    kv::Notices notices{hp.messages};
    kv::TerminalSite site{main, module, 0, ""};
    kv::FrmManual manual{platform, main, module, site, notices};
    kv::ExpertPlacement expert{platform, site};
    kv::RelayedTerminals terminals{platform, main, module, notices, site, manual, expert};
    kv::PollCycle cycle{platform, terminals};
    std::string orderLog, otherProfits, knownLog;
};

void idleCycle(benchmark::State& state) {
    Machine m(static_cast<int>(state.range(0)));
    m.knowEveryOrder();
    m.cycle.tick();  // the cycle before: idle means nothing changed since
    for (auto _ : state) m.cycle.tick();
    if (m.service.requests != 0) state.SkipWithError("an idle cycle sent requests");
}

void busyIdleCycle(benchmark::State& state) {
    Machine m(static_cast<int>(state.range(0)));
    m.knowEveryOrder();
    m.cycle.tick();
    bool other = false;
    for (auto _ : state) {
        state.PauseTiming();
        other = !other;
        m.hp.writeFile("MT4/experts/files/systemorder.log", other ? m.otherProfits : m.orderLog);
        state.ResumeTiming();
        m.cycle.tick();
    }
    if (m.service.requests != 0) state.SkipWithError("an idle cycle sent requests");
}

void allNewCycle(benchmark::State& state) {
    Machine m(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        m.forgetReportedOrders();
        state.ResumeTiming();
        m.cycle.tick();
    }
    if (m.service.requests != state.range(0) * static_cast<long>(state.iterations()))
        state.SkipWithError("not every order was reported");
}

// The cycle's file traffic with no parsing: read the three files and write
// the two state files back.
void ioFloor(benchmark::State& state, bool withWrites) {
    Machine m(static_cast<int>(state.range(0)));
    m.knowEveryOrder();
    const std::string known = m.main.pathname1 + "\\manualorder.log";
    const std::string orders = m.main.pathname1 + "\\systemorder.log";
    const std::string journal = m.site.closedJournalPath(m.platform);
    std::string a, b, c;
    for (auto _ : state) {
        m.platform.files.readAll(known, a);
        m.platform.files.readAll(journal, b);
        m.platform.files.readAll(orders, c);
        if (withWrites) {
            m.platform.files.replaceAtomically(known, a);
            m.platform.files.replaceAtomically(journal, b);
        }
        benchmark::DoNotOptimize(c.data());
    }
}

// Keeps the run short: fewer rounds for the big sizes.
int rounds(int orders, int atHundred) { return std::max(1, atHundred * 100 / orders); }

class TableReporter : public benchmark::ConsoleReporter {
public:
    TableReporter() : ConsoleReporter(OO_Tabular) {}

    std::map<std::string, std::map<long, double>> ms;  // benchmark -> orders -> ms per cycle

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            std::string name = run.run_name.function_name;
            long orders = std::stol(run.run_name.args.substr(run.run_name.args.find(':') + 1));
            ms[name][orders] = run.GetAdjustedRealTime();  // in the unit set below: ms
        }
    }

    void table() {
        std::printf("\nms per cycle; floor = the same bytes read (r) and written back (w), no parsing\n");
        std::printf("%8s %9s %10s %10s %10s %9s %11s %11s %10s %11s\n", "orders", "idle", "busy idle", "all-new",
                    "floor r+w", "floor r", "idle/floor", "idle/flr r", "busy/flr", "busy/flr r");
        for (const auto& [orders, idle] : ms["idle_cycle"]) {
            double busy = ms["busy_idle_cycle"][orders];
            double floor = ms["io_floor_read_write"][orders], read = ms["io_floor_read_only"][orders];
            std::printf("%8ld %9.3f %10.3f %10.1f %10.3f %9.3f %11.2f %11.2f %10.2f %11.2f\n", orders, idle, busy,
                        ms["all_new_cycle"][orders], floor, read, idle / floor, idle / read, busy / floor, busy / read);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    for (int orders : {100, 1000, 10000, 100000}) {
        benchmark::RegisterBenchmark("idle_cycle", idleCycle)->Arg(orders)->Iterations(rounds(orders, 2000))->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("busy_idle_cycle", busyIdleCycle)->Arg(orders)->Iterations(rounds(orders, 5000))->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("all_new_cycle", allNewCycle)->Arg(orders)->Iterations(rounds(orders, 50))->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("io_floor_read_write", ioFloor, true)->Arg(orders)->Iterations(rounds(orders, 500))->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("io_floor_read_only", ioFloor, false)->Arg(orders)->Iterations(rounds(orders, 2000))->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;  // plain text: the table goes into reports
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.table();
    benchmark::Shutdown();
}
