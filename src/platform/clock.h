#pragma once
#include <chrono>
#include <cstdint>
#include <string>

namespace kv::platform {

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// Current local date and time and their text forms in the user's formats.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
    virtual std::string shortDateText(const DateTime& when) = 0;  // e.g. 12/5/2026
    virtual std::string timeText(const DateTime& when) = 0;       // e.g. 5:40:00 PM
    // The instant, on the same scale as the files' last-write times.
    virtual std::chrono::system_clock::time_point utcNow() = 0;
    // Milliseconds from some fixed moment; never goes back, whatever the
    // user does to the clock. For measuring short spans only.
    virtual std::uint64_t steadyMilliseconds() = 0;
};

}  // namespace kv::platform
