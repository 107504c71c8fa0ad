#pragma once
#include <chrono>
#include <optional>

#include "common/frm_main_mdi.h"
#include "platform/platform.h"
#include "relay/frm_manual.h"
#include "settings/folders/terminal_files_folder.h"

namespace kv {

// Keeps pathname1 on the folder our expert writes to now: the trader may
// attach the expert after the relay starts, and a stale legacy log may have
// been taken before the live one first appeared.
class FilesFolderFollower {
public:
    FilesFolderFollower(const platform::Platform& platform, FrmMainMdi& main, FrmManual& manual);

    // About once a minute: a few directory look-ups, never at every tick.
    // True when pathname1 moved.
    bool followOnceAMinute();
    // The order log is missing from pathname1: look now. True when it moved.
    bool followNow();

private:
    bool follow();

    platform::Platform platform_;
    FrmMainMdi& main_;
    FrmManual& manual_;
    TerminalFilesFolder folders_;
    std::optional<std::chrono::system_clock::time_point> lastLook_;
};

}  // namespace kv
