// The file system's look at folders, write times and the roaming folder.
#include "platform/win32/win32_file_system.h"

#include "platform/win32/file_time.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/win32_api.h"

#include <shlobj.h>

namespace kv::platform::win32 {

std::optional<std::vector<std::string>> Win32FileSystem::subfolders(const std::string& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(utf8ToWide(folder + "\\*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchLimitToDirectories, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::string> names;
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            names.push_back(utf8FromWide(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::optional<std::chrono::system_clock::time_point> Win32FileSystem::lastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return fromFileTime(data.ftLastWriteTime);
}

std::string Win32FileSystem::roamingAppDataFolder() {
    PWSTR folder = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder)))
        path = utf8FromWide(folder);
    CoTaskMemFree(folder);
    return path;
}

}  // namespace kv::platform::win32
