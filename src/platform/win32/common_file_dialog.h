#pragma once
#include "platform/shell_ui.h"

namespace kv::platform::win32 {

// The standard file-open dialog (GetOpenFileNameW), modal to the active window.
class CommonFileDialog : public FileOpenDialog {
public:
    std::optional<std::string> choose(const std::string& title, const std::string& folder) override;
};

}  // namespace kv::platform::win32
