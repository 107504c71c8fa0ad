#include "platform/win32/shell_tray_icon.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/message_box.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

namespace {

template <std::size_t N>
void copyCut(const std::wstring& text, wchar_t (&field)[N]) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), length, field);
    field[length] = L'\0';
}

}  // namespace

ShellTrayIcon::ShellTrayIcon(HiddenWindow& window, const AppIcons& icons)
    : window_(window), icons_(icons), icon_(icons.tray) {
    window_.onTaskbarCreated = [this] {
        if (shown_) notify(NIM_ADD);
    };
}

void ShellTrayIcon::add(const std::string& tip) {
    tip_ = codePageToWide(tip);
    shown_ = true;
    notify(NIM_ADD);
}

void ShellTrayIcon::remove() {
    shown_ = false;
    notify(NIM_DELETE);
}

void ShellTrayIcon::show(const std::string& tip, TrayLook look) {
    tip_ = codePageToWide(tip);
    icon_ = look == TrayLook::Idle ? icons_.trayIdle : look == TrayLook::Attention ? icons_.trayAttention : icons_.tray;
    if (shown_) notify(NIM_MODIFY);
}

void ShellTrayIcon::balloon(const std::string& text) {
    if (shown_) notify(NIM_MODIFY, codePageToWide(text));
}

// A failure leaves the program running without an icon; TaskbarCreated
// brings it back once the shell is there.
void ShellTrayIcon::notify(DWORD message, const std::wstring& balloonText) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_.handle();
    data.uID = KV_TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = KV_TRAY_CALLBACK_MESSAGE;
    data.hIcon = icon_;
    copyCut(tip_, data.szTip);
    if (!balloonText.empty()) {
        // Windows holds a balloon back in quiet time, after a new user's
        // first sign-in, and while the trader asked not to be disturbed.
        data.uFlags |= NIF_INFO;
        data.dwInfoFlags = NIIF_WARNING | NIIF_RESPECT_QUIET_TIME;
        copyCut(codePageToWide(kApplicationTitle), data.szInfoTitle);
        copyCut(balloonText, data.szInfo);
    }
    Shell_NotifyIconW(message, &data);
}

}  // namespace kv::platform::win32
