#pragma once
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// The application icon at the sizes Windows asks for: the caption and task
// bar images of the windows, and the notification-area images of its three
// looks (relaying, idle, attention).
struct AppIcons {
    HICON large = nullptr;
    HICON caption = nullptr;
    HICON tray = nullptr;
    HICON trayIdle = nullptr;
    HICON trayAttention = nullptr;
};

AppIcons loadAppIcons(HINSTANCE instance);

}  // namespace kv::platform::win32
