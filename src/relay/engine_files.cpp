#include "relay/engine_files.h"

#include "settings/folders/terminal_files_folder.h"

namespace kv {

std::string systemOrderLogPath(const FrmMainMdi& main) { return orderLogIn(main.pathname1); }
std::string manualOrderLogPath(const FrmMainMdi& main) { return main.pathname1 + "\\manualorder.log"; }
std::string closedJournalPath(const platform::Platform& platform) { return platform.dataFile("TempClose.dat"); }
std::string startupStampPath(const platform::Platform& platform) { return platform.dataFile("TempInit.dat"); }
std::string activeLogPath(const platform::Platform& platform) { return platform.dataFile("Active.log"); }

}  // namespace kv
