#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/folder_watch.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

class Win32FolderWatch;

// Folder watches by ReadDirectoryChangesW with overlapped I/O. Each watch
// has an event that the message loop waits on beside the messages, so a
// change is heard on the user-interface thread without a thread of its own.
class Win32FolderWatchFactory : public FolderWatchFactory {
public:
    std::unique_ptr<FolderWatch> watch(const std::string& folder, OnChange onChange) override;

    std::vector<HANDLE> events() const;  // of the live watches, for the message loop
    void signalled(HANDLE event);        // one of them is set: tell what changed

    void forget(Win32FolderWatch* watch);

private:
    std::vector<Win32FolderWatch*> live_;
};

}  // namespace kv::platform::win32
