#include "platform/win32/shell_tray_icon.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/resource_ids.h"
#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

ShellTrayIcon::ShellTrayIcon(MainWindow& window, HICON icon) : window_(window), icon_(icon) {
    window_.onTaskbarCreated = [this] {
        if (shown_) notify(NIM_ADD);
    };
}

void ShellTrayIcon::add(const std::string& tip) {
    tip_ = toWide(tip);
    shown_ = true;
    notify(NIM_ADD);
}

void ShellTrayIcon::remove() {
    shown_ = false;
    notify(NIM_DELETE);
}

// A failure leaves the program running without an icon; TaskbarCreated
// brings it back once the shell is there.
void ShellTrayIcon::notify(DWORD message) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_.handle();
    data.uID = KV_TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = KV_TRAY_CALLBACK_MESSAGE;
    data.hIcon = icon_;
    const std::size_t length = std::min(tip_.size(), std::size(data.szTip) - 1);
    std::copy_n(tip_.begin(), length, data.szTip);
    Shell_NotifyIconW(message, &data);
}

}  // namespace kv::platform::win32
