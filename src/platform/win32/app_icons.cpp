#include "platform/win32/app_icons.h"

#include <commctrl.h>

#include "platform/win32/resource_ids.h"

namespace kv::platform::win32 {

namespace {

HICON loadSized(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(KV_IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

// The notification area wants the small size for the screen's DPI.
HICON loadTray(HINSTANCE instance, int id, HICON fallback) {
    HICON icon = nullptr;
    return SUCCEEDED(LoadIconMetric(instance, MAKEINTRESOURCEW(id), LIM_SMALL, &icon)) ? icon : fallback;
}

}  // namespace

AppIcons loadAppIcons(HINSTANCE instance) {
    AppIcons icons;
    icons.large = loadSized(instance, SM_CXICON, SM_CYICON);
    icons.caption = loadSized(instance, SM_CXSMICON, SM_CYSMICON);
    icons.tray = loadTray(instance, KV_IDI_APP, icons.caption);
    icons.trayIdle = loadTray(instance, KV_IDI_IDLE, icons.tray);
    icons.trayAttention = loadTray(instance, KV_IDI_ATTENTION, icons.tray);
    return icons;
}

}  // namespace kv::platform::win32
