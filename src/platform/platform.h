#pragma once
#include <string>

#include "platform/bundled_expert.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/folder_watch.h"
#include "platform/message_box.h"
#include "platform/shell_ui.h"
#include "platform/system_text.h"
#include "platform/timer.h"
#include "platform/web_fetcher.h"
#include "platform/window_system.h"

namespace kv::platform {

// Everything the core needs of the machine, passed in by the application.
struct Platform {
    FileSystem& files;
    SystemText& text;
    Clock& clock;
    MessageBox& messages;
    WebFetcherFactory& web;
    TimerFactory& timers;
    WindowSystem& windows;
    TrayIcon& tray;
    PopupMenu& menus;
    FileOpenDialog& fileDialog;
    Process& process;
    FolderWatchFactory& folderWatch;
    BundledExpert& expert;
    std::string exeFolder;  // folder of the executable, Windows-style, no trailing backslash

    std::string dataFile(const std::string& name) const { return exeFolder + "\\Data\\" + name; }
};

}  // namespace kv::platform
