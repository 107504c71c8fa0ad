#include "relay/files_folder_follower.h"

namespace kv {

FilesFolderFollower::FilesFolderFollower(const platform::Platform& platform, TerminalSite& site, OrderTables& tables)
    : platform_(platform), site_(site), tables_(tables), folders_(platform.files, platform.text, platform.clock) {}

bool FilesFolderFollower::followOnceAMinute() {
    const auto now = platform_.clock.utcNow();
    // The folder was just chosen when it was set; a clock set back starts the minute again.
    if (!lastLook_ || now < *lastLook_) lastLook_ = now;
    if (now - *lastLook_ < std::chrono::minutes(1)) return false;
    return followNow();
}

bool FilesFolderFollower::followNow() {
    lastLook_ = platform_.clock.utcNow();
    return follow();
}

// The new folder is a fresh start. Without the engine's own record there,
// its orders are taken as the start-up load takes them, so orders open
// before the login date are not reported as new.
bool FilesFolderFollower::follow() {
    const std::string folder = folders_.recheck(site_.folder(), site_.kind(), site_.filesFolder());
    if (folder == site_.filesFolder()) return false;
    site_.filesFolder() = folder;
    if (platform_.files.lookup(site_.manualOrderLogPath()).empty()) tables_.rebuildKnownOrders();
    return true;
}

}  // namespace kv
