#pragma once
#include <string>

#include "platform/platform.h"
#include "platform/win32/app_icons.h"
#include "platform/win32/common_file_dialog.h"
#include "platform/win32/dialog_window_system.h"
#include "platform/win32/hidden_window.h"
#include "platform/win32/shell_tray_icon.h"
#include "platform/win32/tracked_popup_menu.h"
#include "platform/win32/win32_bundled_expert.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_folder_watch.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_system_text.h"
#include "platform/win32/win32_timer.h"
#include "platform/win32/winhttp_fetcher_factory.h"

namespace kv::platform::win32 {

// One of each Windows implementation, wired to the hidden main window.
class Win32Platform {
public:
    Win32Platform(HINSTANCE instance, std::string exeFolder);

    Platform platform();
    HiddenWindow& hiddenWindow() { return hiddenWindow_; }
    DialogWindowSystem& windows() { return windows_; }
    const Win32Process& process() const { return process_; }
    Win32FolderWatchFactory& folderWatch() { return folderWatch_; }

private:
    AppIcons icons_;
    HiddenWindow hiddenWindow_;
    Win32FileSystem files_;
    Win32SystemText text_;
    Win32Clock clock_;
    Win32MessageBox messages_;
    WinHttpFetcherFactory web_;
    Win32TimerFactory timers_;
    DialogWindowSystem windows_;
    ShellTrayIcon tray_;
    TrackedPopupMenu menus_;
    CommonFileDialog fileDialog_;
    Win32Process process_;
    Win32FolderWatchFactory folderWatch_;
    Win32BundledExpert expert_;
    std::string exeFolder_;
};

}  // namespace kv::platform::win32
