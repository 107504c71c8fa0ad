#pragma once
#include <string>

#include "platform/shell_ui.h"
#include "platform/win32/app_icons.h"
#include "platform/win32/hidden_window.h"

namespace kv::platform::win32 {

// The notification-area icon of the main window (Shell_NotifyIconW, id 1).
// When Explorer restarts it forgets every icon; the icon is then added again
// with the tip and look it had.
class ShellTrayIcon : public TrayIcon {
public:
    ShellTrayIcon(HiddenWindow& window, const AppIcons& icons);
    void add(const std::string& tip) override;
    void remove() override;
    void show(const std::string& tip, TrayLook look) override;
    void balloon(const std::string& text) override;

private:
    void notify(DWORD message, const std::wstring& balloonText = {});

    HiddenWindow& window_;
    AppIcons icons_;
    HICON icon_;
    std::wstring tip_;
    bool shown_ = false;
};

}  // namespace kv::platform::win32
