#include "platform/headless/scripted_folder_watch.h"

#include <algorithm>

namespace kv::platform::headless {

class ScriptedFolderWatches::Watch : public FolderWatch {
public:
    Watch(std::vector<Entry*>& live, Entry entry) : live_(live), entry_(std::move(entry)) { live_.push_back(&entry_); }
    ~Watch() override { live_.erase(std::find(live_.begin(), live_.end(), &entry_)); }

private:
    std::vector<Entry*>& live_;
    Entry entry_;
};

std::unique_ptr<FolderWatch> ScriptedFolderWatches::watch(const std::string& folder, OnChange onChange) {
    if (failing) return nullptr;
    return std::make_unique<Watch>(live_, Entry{folder, std::move(onChange)});
}

void ScriptedFolderWatches::change(const std::string& folder, const std::string& name, FolderChange how) {
    // A callback may end its own watch, so the list is copied first.
    const std::vector<Entry*> hearing = live_;
    for (Entry* entry : hearing)
        if (std::find(live_.begin(), live_.end(), entry) != live_.end() && entry->folder == folder)
            entry->onChange(name, how);
}

std::vector<std::string> ScriptedFolderWatches::watched() const {
    std::vector<std::string> folders;
    for (const Entry* entry : live_) folders.push_back(entry->folder);
    return folders;
}

}  // namespace kv::platform::headless
