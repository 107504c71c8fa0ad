#include "platform/win32/file_time.h"

namespace kv::platform::win32 {

std::chrono::system_clock::time_point fromFileTime(const FILETIME& time) {
    constexpr long long kTicksFrom1601To1970 = 116444736000000000LL;
    const long long ticks = (static_cast<long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) - kTicksFrom1601To1970;
    using Ticks = std::chrono::duration<long long, std::ratio<1, 10000000>>;
    return std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(Ticks(ticks)));
}

}  // namespace kv::platform::win32
