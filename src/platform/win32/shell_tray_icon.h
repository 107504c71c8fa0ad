#pragma once
#include <string>

#include "platform/shell_ui.h"
#include "platform/win32/main_window.h"

namespace kv::platform::win32 {

// The notification-area icon of the main window (Shell_NotifyIconW, id 1).
// When Explorer restarts it forgets every icon; the icon is then added again.
class ShellTrayIcon : public TrayIcon {
public:
    ShellTrayIcon(MainWindow& window, HICON icon);
    void add(const std::string& tip) override;
    void remove() override;

private:
    void notify(DWORD message);

    MainWindow& window_;
    HICON icon_;
    std::wstring tip_;
    bool shown_ = false;
};

}  // namespace kv::platform::win32
