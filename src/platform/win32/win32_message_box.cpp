#include "platform/win32/win32_message_box.h"

#include <vector>

#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

namespace {

// The enabled top-level windows of this thread, disabled as a task-modal box
// would disable them; the owner is left to the box itself.
std::vector<HWND> disableOthers(HWND owner) {
    struct Search {
        HWND owner;
        std::vector<HWND> disabled;
    } search{owner, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM state) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(state);
            if (window != s.owner && IsWindowEnabled(window)) {
                EnableWindow(window, FALSE);
                s.disabled.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.disabled;
}

UINT iconFlag(MessageIcon icon) { return icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION; }

}  // namespace

void Win32MessageBox::showModal(const std::string& text, MessageIcon icon) {
    const std::wstring wideText = utf8ToWide(text), title = codePageToWide(kApplicationTitle);
    if (!owner_) {
        MessageBoxW(nullptr, wideText.c_str(), title.c_str(), MB_OK | iconFlag(icon) | MB_TASKMODAL | MB_SETFOREGROUND);
        return;
    }
    const std::vector<HWND> disabled = disableOthers(owner_);
    MessageBoxW(owner_, wideText.c_str(), title.c_str(), MB_OK | iconFlag(icon) | MB_SETFOREGROUND | MB_TOPMOST);
    for (HWND window : disabled)
        if (IsWindow(window)) EnableWindow(window, TRUE);
}

void Win32MessageBox::openModeless(const std::string& text, MessageIcon icon, std::function<void()> closed) {
    // Without a thread of its own the box can only be shown the modal way: told late beats not told.
    if (modeless_.open(utf8ToWide(text), codePageToWide(kApplicationTitle), MB_OK | iconFlag(icon) | MB_SETFOREGROUND | MB_TOPMOST,
                       closed))
        return;
    showModal(text, icon);
    if (closed) closed();
}

}  // namespace kv::platform::win32
