#include "platform/win32/exe_folder.h"

#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

std::wstring exeFolder() {
    std::wstring path(MAX_PATH, L'\0');
    // A longer path is cut short and reported with the full buffer: grow and retry.
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace kv::platform::win32
