#pragma once
#include <chrono>
#include <optional>

#include "platform/platform.h"
#include "relay/order_tables.h"
#include "common/terminal_site.h"
#include "settings/folders/terminal_files_folder.h"

namespace kv {

// Keeps pathname1 on the folder our expert writes to now: the trader may
// attach the expert after the relay starts, and a stale legacy log may have
// been taken before the live one first appeared.
class FilesFolderFollower {
public:
    FilesFolderFollower(const platform::Platform& platform, TerminalSite& site, OrderTables& tables);

    // About once a minute: a few directory look-ups, never at every tick.
    // True when the files folder moved.
    bool followOnceAMinute();
    // The order log is missing from the files folder: look now. True when it moved.
    bool followNow();

private:
    bool follow();

    platform::Platform platform_;
    TerminalSite& site_;
    OrderTables& tables_;
    TerminalFilesFolder folders_;
    std::optional<std::chrono::system_clock::time_point> lastLook_;
};

}  // namespace kv
