#pragma once
#include "platform/clock.h"

namespace kv::platform::win32 {

// Local time, and its texts in the formats the user chose for his locale.
class Win32Clock : public Clock {
public:
    DateTime now() override;
    std::string shortDateText(const DateTime& when) override;
    std::string timeText(const DateTime& when) override;  // with seconds
    std::chrono::system_clock::time_point utcNow() override;
    std::uint64_t steadyMilliseconds() override;
};

}  // namespace kv::platform::win32
