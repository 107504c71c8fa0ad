#include "platform/win32/app_icons.h"

#include <commctrl.h>

#include "platform/win32/resource_ids.h"

namespace kv::platform::win32 {

namespace {

HICON loadSized(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(KV_IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

}  // namespace

AppIcons loadAppIcons(HINSTANCE instance) {
    AppIcons icons;
    icons.large = loadSized(instance, SM_CXICON, SM_CYICON);
    icons.caption = loadSized(instance, SM_CXSMICON, SM_CYSMICON);
    // The notification area wants the small size for the screen's DPI.
    if (FAILED(LoadIconMetric(instance, MAKEINTRESOURCEW(KV_IDI_APP), LIM_SMALL, &icons.tray)))
        icons.tray = icons.caption;
    return icons;
}

}  // namespace kv::platform::win32
