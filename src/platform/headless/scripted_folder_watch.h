#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/folder_watch.h"

namespace kv::platform::headless {

// Folder watches that see a change only when a test says one happened.
class ScriptedFolderWatches : public FolderWatchFactory {
public:
    std::unique_ptr<FolderWatch> watch(const std::string& folder, OnChange onChange) override;

    // A file in that folder changed; every live watch of the folder hears it.
    void change(const std::string& folder, const std::string& name, FolderChange how = FolderChange::Written);

    std::vector<std::string> watched() const;  // the folders watched now
    bool failing = false;                      // no folder can be watched

private:
    struct Entry {
        std::string folder;
        OnChange onChange;
    };
    class Watch;
    std::vector<Entry*> live_;
};

}  // namespace kv::platform::headless
