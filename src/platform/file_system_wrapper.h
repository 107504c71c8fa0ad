#pragma once
#include "platform/file_system.h"

namespace kv::platform {

// A file system that passes every call on to another. One that changes a few
// steps (the tests' fault wrapper) derives from it and overrides only those,
// so a step added to FileSystem is added here once and reaches them all.
class FileSystemWrapper : public FileSystem {
public:
    explicit FileSystemWrapper(FileSystem& target) : target_(target) {}

    FileError readAll(const std::string& path, std::string& bytes) override { return target_.readAll(path, bytes); }
    FileError replaceAtomically(const std::string& path, const std::string& bytes) override {
        return target_.replaceAtomically(path, bytes);
    }
    FileError append(const std::string& path, const std::string& bytes) override { return target_.append(path, bytes); }
    std::string lookup(const std::string& path) override { return target_.lookup(path); }
    FileError probeWritable(const std::string& folder) override { return target_.probeWritable(folder); }
    std::optional<std::vector<std::string>> subfolders(const std::string& folder) override {
        return target_.subfolders(folder);
    }
    std::optional<std::chrono::system_clock::time_point> lastWriteTime(const std::string& path) override {
        return target_.lastWriteTime(path);
    }
    std::string roamingAppDataFolder() override { return target_.roamingAppDataFolder(); }

private:
    FileSystem& target_;
};

}  // namespace kv::platform
