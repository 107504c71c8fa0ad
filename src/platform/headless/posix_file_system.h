#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kv::platform::headless {

// Real files on a POSIX disk. "\" in a path becomes "/", and the last part of
// a path matches an existing file without regard to case.
class PosixFileSystem : public FileSystem {
public:
    FileError readAll(const std::string& path, std::string& bytes) override;
    FileError replaceAtomically(const std::string& path, const std::string& bytes) override;
    FileError append(const std::string& path, const std::string& bytes) override;
    std::string lookup(const std::string& path) override;
    FileError probeWritable(const std::string& folder) override;
    std::optional<std::vector<std::string>> subfolders(const std::string& folder) override;
    std::optional<std::chrono::system_clock::time_point> lastWriteTime(const std::string& path) override;
    std::string roamingAppDataFolder() override { return roamingFolder; }

    // What stands for the roaming application-data folder; a test sets it.
    std::string roamingFolder;

    // The POSIX path a Windows-style path stands for.
    static std::string resolve(const std::string& path);
};

}  // namespace kv::platform::headless
