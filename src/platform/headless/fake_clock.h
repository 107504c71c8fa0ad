#pragma once
#include "platform/clock.h"

namespace kv::platform::headless {

// A clock that stands still until a test moves it; US date and time forms.
class FakeClock : public Clock {
public:
    DateTime current{2026, 12, 5, 17, 40, 0};
    // The same moment as an instant (taken as UTC); tests move it as they move `current`.
    std::chrono::system_clock::time_point utc =
        std::chrono::sys_days(std::chrono::year(2026) / 12 / 5) + std::chrono::hours(17) + std::chrono::minutes(40);
    std::uint64_t steady = 0;  // moves when a test, or a fired timer, moves it

    DateTime now() override { return current; }
    std::string shortDateText(const DateTime& when) override;  // 12/5/2026
    std::string timeText(const DateTime& when) override;       // 5:40:00 PM
    std::chrono::system_clock::time_point utcNow() override { return utc; }
    std::uint64_t steadyMilliseconds() override { return steady; }
};

}  // namespace kv::platform::headless
