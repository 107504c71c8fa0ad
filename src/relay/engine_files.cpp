#include "relay/engine_files.h"

namespace kv {

std::string systemOrderLogPath(const FrmMainMdi& main) { return main.pathname1 + "\\systemorder.log"; }
std::string manualOrderLogPath(const FrmMainMdi& main) { return main.pathname1 + "\\manualorder.log"; }
std::string closedJournalPath(const platform::Platform& platform) { return platform.dataFile("TempClose.dat"); }
std::string startupStampPath(const platform::Platform& platform) { return platform.dataFile("TempInit.dat"); }
std::string activeLogPath(const platform::Platform& platform) { return platform.dataFile("Active.log"); }

}  // namespace kv
