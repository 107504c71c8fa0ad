#pragma once

namespace kv::platform::win32 {

// Per-monitor DPI awareness (version 2) where Windows has it, so the dialogs
// are drawn sharp and rescaled when moved between screens; older systems get
// system-wide awareness.
void becomeDpiAware();

}  // namespace kv::platform::win32
