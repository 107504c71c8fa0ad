#pragma once
// Helpers for the Windows layer's own checks, which run under Wine or Windows.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32/dialog_window_system.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32::checks {

// Dispatches messages for about `milliseconds`, as the program's loop does.
inline void pump(DialogWindowSystem* dialogs, unsigned milliseconds) {
    const ULONGLONG until = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (dialogs && dialogs->handleDialogMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(2);
    } while (GetTickCount64() < until);
}

// A fresh empty folder under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder() { std::filesystem::create_directory(folder_); }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }  // UTF-8, no trailing backslash
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    long fileCount() const {
        const std::filesystem::directory_iterator entries(folder_);
        return std::count_if(begin(entries), end(entries), [](const auto& entry) { return entry.is_regular_file(); });
    }

private:
    static inline int created_ = 0;
    std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                    ("kvcheck" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++created_));
    std::string path_ = utf8FromWide(folder_.wstring());
};

inline std::string readBytes(const std::string& path) {  // empty when missing
    std::ifstream in(utf8ToWide(path).c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(utf8ToWide(path).c_str(), std::ios::binary) << bytes;
}

inline std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

}  // namespace kv::platform::win32::checks
