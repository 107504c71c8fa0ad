#pragma once
#include <functional>

namespace kv::platform::win32 {

// Runs core code called back from Windows (a button, a tick, the tray icon).
// An exception must not unwind through Windows' own frames: it is shown to
// the trader, and the program goes on with the next message.
void runGuarded(const std::function<void()>& handler);

}  // namespace kv::platform::win32
