#pragma once
#include <functional>
#include <memory>
#include <string>

namespace kv::platform {

// Watches one folder while it lives. onChange gets the name of a file that
// was created, written or renamed into the folder, or an empty name when the
// platform lost count of what changed (anything may have). It is called on
// the user-interface thread, between other events.
class FolderWatch {
public:
    virtual ~FolderWatch() = default;
};

class FolderWatchFactory {
public:
    virtual ~FolderWatchFactory() = default;
    // No watch when the folder cannot be watched (missing, say).
    virtual std::unique_ptr<FolderWatch> watch(const std::string& folder,
                                               std::function<void(const std::string& name)> onChange) = 0;
};

}  // namespace kv::platform
