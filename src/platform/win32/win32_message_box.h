#pragma once
#include "platform/message_box.h"
#include "platform/win32/modeless_message_box.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// MessageBoxW titled with the application name. While a modal box is open
// every window of the program is disabled, so no handler can start again
// under it. With an owner (the hidden main window) it stays above the terminal and
// every other window and asks to come to the front; without one it is
// task-modal. A modeless box, on its own thread, disables nothing and also
// stays above the other windows; having no owner, it has its own taskbar button.
class Win32MessageBox : public MessageBox {
public:
    explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
    void showModal(const std::string& text, MessageIcon icon) override;
    void openModeless(const std::string& text, MessageIcon icon, std::function<void()> closed) override;
    void closeModeless() override { modeless_.close(); }

private:
    HWND owner_;
    ModelessMessageBox modeless_;
};

}  // namespace kv::platform::win32
