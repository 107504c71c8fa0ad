#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kv::platform {

// Why a file operation failed; the core decides what the trader sees.
enum class FileError {
    None,
    NotFound,      // no such file or folder
    Locked,        // sharing or lock violation: another program holds the file
    AccessDenied,
    DiskFull,
    Other,
};

const char* describe(FileError error);

// Paths are Windows-style text in UTF-8 ("C:\MT4\experts\files\systemorder.log"),
// so every character of a Windows name survives; an implementation maps them
// to its own form. Contents are raw bytes.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The whole file as bytes. The file is held open only during the call and
    // shared for reading, writing and deleting, so a writer is never blocked.
    virtual FileError readAll(const std::string& path, std::string& bytes) = 0;

    // Replaces the file as a whole: either the old or the new complete content
    // is on disk afterwards, never a mixture or a truncated file.
    virtual FileError replaceAtomically(const std::string& path, const std::string& bytes) = 0;

    // Appends bytes at the end, creating the file when missing.
    virtual FileError append(const std::string& path, const std::string& bytes) = 0;

    // Name of the file at that path (as stored on disk), or empty when no
    // regular file is there. File names are matched without regard to case.
    virtual std::string lookup(const std::string& path) = 0;

    // Creates and removes a scratch file in the folder: whether the program
    // may write there at all (a folder under Program Files, say, refuses it).
    virtual FileError probeWritable(const std::string& folder) = 0;

    // Names of the folders inside a folder; nothing when there is no such folder.
    virtual std::optional<std::vector<std::string>> subfolders(const std::string& folder) = 0;

    // When the file was last written; nothing when no regular file is there.
    virtual std::optional<std::chrono::system_clock::time_point> lastWriteTime(const std::string& path) = 0;

    // The user's roaming application-data folder, without a trailing backslash.
    virtual std::string roamingAppDataFolder() = 0;
};

}  // namespace kv::platform
