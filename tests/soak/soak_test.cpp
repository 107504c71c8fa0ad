#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "soak_run.h"

namespace {

long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// Thousands of cycles fsync their files; a memory disk keeps them fast.
void preferMemoryDisk() {
    if (std::filesystem::is_directory("/dev/shm")) ::setenv("TMPDIR", "/dev/shm", 0);
}

long sum(const soak::Tally& tally, const std::string& prefix) {
    long total = 0;
    for (const auto& [what, times] : tally) total += what.starts_with(prefix) ? times : 0;
    return total;
}

// The run as a markdown section; `withTime` adds how long it took.
std::string report(const soak::Books& books, long seed, bool withTime) {
    const soak::Tally& t = books.tally;
    std::ostringstream out;
    out << "## Randomized soak\n\nSeed " << seed << ": " << sum(t, "cycles") << " poll cycles";
    if (withTime) out << " in " << static_cast<long>(books.seconds) << " s";
    out << ".\n\n| Result | |\n|---|---:|\n| program deaths | " << sum(t, "death: ") << " |\n| faults injected | "
        << sum(t, "reply fault: ") + sum(t, "file fault: ") + sum(t, "logs caught") << " |\n| events lost | **"
        << sum(t, "events lost") << "** |\n| events sent again, all in the window between an acknowledgement and "
        << "its save | " << sum(t, "sent again: ") << " |\n| Active.log is exactly the acknowledged requests | "
        << (sum(t, "Active.log checks that failed") == 0 ? "yes" : "**no**") << " |\n| faults found | "
        << sum(t, "faults found") << " |\n\n| Count | times |\n|---|---:|\n";
    for (const auto& [what, times] : t) out << "| " << what << " | " << times << " |\n";
    for (const std::string& fault : books.faults) out << "\n- " << fault;
    return out.str();
}

}  // namespace

// KV_SOAK_CYCLES sets the length (twenty thousand cycles by default, about
// two seconds, enough to meet the rarer crash windows), KV_SOAK_SECONDS a
// time limit, KV_SOAK_SEED the seed, KV_SOAK_REPORT a file for the report.
TEST(Soak, EveryEventArrivesOnceExceptInTheCrashWindow) {
    preferMemoryDisk();
    const long seed = environmentNumber("KV_SOAK_SEED", 20261205);
    const soak::Books books = soak::SoakRun(seed, environmentNumber("KV_SOAK_CYCLES", 20000),
                                            static_cast<double>(environmentNumber("KV_SOAK_SECONDS", 0)))
                                  .run();
    if (const char* path = std::getenv("KV_SOAK_REPORT")) std::ofstream(path) << report(books, seed, true);

    EXPECT_EQ(sum(books.tally, "faults found"), 0) << ::testing::PrintToString(books.faults);
    EXPECT_GT(sum(books.tally, "acknowledged: "), sum(books.tally, "cycles") / 10);  // it relayed, not just failed
}

TEST(Soak, ASeedReplaysTheSameRun) {
    preferMemoryDisk();
    const std::string first = report(soak::SoakRun(7, 300).run(), 7, false);
    EXPECT_EQ(report(soak::SoakRun(7, 300).run(), 7, false), first);
    EXPECT_NE(report(soak::SoakRun(8, 300).run(), 7, false), first);
}
