#pragma once
// Helpers for the Windows layer's own checks, which run under Wine or Windows.
#include <string>

#include "platform/win32/dialog_window_system.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32::checks {

// Dispatches messages for about `milliseconds`, as the program's loop does.
void pump(DialogWindowSystem* dialogs, unsigned milliseconds);

// A fresh empty folder under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }  // 8-bit, no trailing backslash
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    int fileCount() const;

private:
    std::string path_;
};

std::string readBytes(const std::string& path);  // empty when missing
void writeBytes(const std::string& path, const std::string& bytes);

std::wstring windowText(HWND window);

}  // namespace kv::platform::win32::checks
