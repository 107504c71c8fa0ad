#pragma once
#include "platform/file_system.h"

namespace kv::platform::win32 {

// Files through the Windows API. Paths are 8-bit text in the system code page.
class Win32FileSystem : public FileSystem {
public:
    FileError readAll(const std::string& path, std::string& bytes) override;
    FileError replaceAtomically(const std::string& path, const std::string& bytes) override;
    FileError append(const std::string& path, const std::string& bytes) override;
    std::string lookup(const std::string& path) override;
    FileError probeWritable(const std::string& folder) override;
    std::optional<std::vector<std::string>> subfolders(const std::string& folder) override;
    std::optional<std::chrono::system_clock::time_point> lastWriteTime(const std::string& path) override;
    std::string roamingAppDataFolder() override;
};

}  // namespace kv::platform::win32
