#include "platform/win32/tracked_popup_menu.h"

#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

std::string TrackedPopupMenu::popup(const std::vector<MenuItem>& items) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return {};
    // Command ids are the item positions from 1; 0 is what TrackPopupMenu
    // returns when nothing was picked.
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].caption == "-")
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING, i + 1, codePageToWide(items[i].caption).c_str());
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the trader clicks
    // elsewhere; the posted message lets the menu's loop end cleanly.
    HWND owner = window_.handle();
    SetForegroundWindow(owner);
    const auto picked = static_cast<std::size_t>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return picked >= 1 && picked <= items.size() ? items[picked - 1].name : std::string();
}

}  // namespace kv::platform::win32
