#pragma once
#include "platform/shell_ui.h"
#include "platform/win32/hidden_window.h"

namespace kv::platform::win32 {

// A pop-up menu at the mouse pointer, owned by the main window.
class TrackedPopupMenu : public PopupMenu {
public:
    explicit TrackedPopupMenu(HiddenWindow& window) : window_(window) {}
    std::string popup(const std::vector<MenuItem>& items) override;

private:
    HiddenWindow& window_;
};

}  // namespace kv::platform::win32
