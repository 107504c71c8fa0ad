#pragma once
#include <functional>
#include <memory>
#include <string>

namespace kv::platform {

// How a file of the watched folder changed. A file renamed into the folder
// arrived whole; one created or written in place may still be being written.
enum class FolderChange { Written, RenamedIn };

// Watches one folder while it lives. onChange gets the name of a file that
// was created, written or renamed into the folder, and how, or an empty name
// (Written) when the platform lost count of what changed (anything may have).
// It is called on the user-interface thread, between other events.
class FolderWatch {
public:
    virtual ~FolderWatch() = default;
};

class FolderWatchFactory {
public:
    virtual ~FolderWatchFactory() = default;
    // No watch when the folder cannot be watched (missing, say).
    using OnChange = std::function<void(const std::string& name, FolderChange how)>;
    virtual std::unique_ptr<FolderWatch> watch(const std::string& folder, OnChange onChange) = 0;
};

}  // namespace kv::platform
