#pragma once
#include <chrono>

#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// A Windows FILETIME (100 ns since 1601, UTC) as an instant of the system clock.
std::chrono::system_clock::time_point fromFileTime(const FILETIME& time);

}  // namespace kv::platform::win32
