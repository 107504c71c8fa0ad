#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "soak_report.h"
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

}  // namespace

// KV_SOAK_CYCLES sets the length (a few thousand cycles by default, so that
// the suite stays quick), KV_SOAK_SECONDS a time limit, KV_SOAK_SEED the
// seed, KV_SOAK_REPORT a file for the report.
TEST(Soak, EveryEventArrivesOnceExceptInTheCrashWindow) {
    preferMemoryDisk();
    soak::SoakSettings settings;
    settings.cycles = environmentNumber("KV_SOAK_CYCLES", settings.cycles);
    settings.seconds = static_cast<double>(environmentNumber("KV_SOAK_SECONDS", 0));
    settings.seed = static_cast<std::uint64_t>(environmentNumber("KV_SOAK_SEED", static_cast<long>(settings.seed)));
    const soak::SoakFigures f = soak::SoakRun(settings).run();
    if (const char* path = std::getenv("KV_SOAK_REPORT")) std::ofstream(path) << soak::soakReport(f);

    EXPECT_EQ(f.ledger.lost, 0);
    EXPECT_EQ(f.garbledRequests, 0);
    EXPECT_TRUE(f.journalExact);
    EXPECT_EQ(f.faultCount, 0) << ::testing::PrintToString(f.faults);
    long acknowledged = 0;
    for (const auto& [kind, times] : f.ledger.acknowledged) acknowledged += times;
    EXPECT_GT(acknowledged, f.cycles / 10);  // the soak did relay, not just fail
}

TEST(Soak, ASeedReplaysTheSameRun) {
    preferMemoryDisk();
    soak::SoakSettings settings;
    settings.cycles = 300;
    settings.seed = 7;
    const std::string first = soak::soakReport(soak::SoakRun(settings).run(), false);
    EXPECT_EQ(soak::soakReport(soak::SoakRun(settings).run(), false), first);
    settings.seed = 8;
    EXPECT_NE(soak::soakReport(soak::SoakRun(settings).run(), false), first);
}
