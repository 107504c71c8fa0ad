#pragma once
#include "platform/win32/dialog_window_system.h"
#include "platform/win32/win32_folder_watch.h"
#include "platform/win32/win32_process.h"

namespace kv::platform::win32 {

// Dispatches messages until the program ends: the dialogs get their keyboard
// handling first, and nothing more is dispatched once the end was asked for.
// Between messages it hears the folder watches. (A modal loop, such as an
// open menu or message box, hears them only once it closes; the poll timer
// runs on meanwhile.)
void runMessageLoop(DialogWindowSystem& windows, const Win32Process& process, Win32FolderWatchFactory& watches);

}  // namespace kv::platform::win32
