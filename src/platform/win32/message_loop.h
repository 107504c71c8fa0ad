#pragma once
#include "platform/win32/dialog_window_system.h"
#include "platform/win32/win32_process.h"

namespace kv::platform::win32 {

// Dispatches messages until the program ends: the dialogs get their keyboard
// handling first, and nothing more is dispatched once the end was asked for.
void runMessageLoop(DialogWindowSystem& windows, const Win32Process& process);

}  // namespace kv::platform::win32
