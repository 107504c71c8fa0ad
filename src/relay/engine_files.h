#pragma once
#include <string>

#include "common/frm_main_mdi.h"
#include "platform/platform.h"

namespace kv {

// Where the engine's files are: two in the terminal's files folder, the rest in Data.
std::string systemOrderLogPath(const FrmMainMdi& main);  // written by our expert, only read here
std::string manualOrderLogPath(const FrmMainMdi& main);  // the orders already reported and still open
std::string closedJournalPath(const platform::Platform& platform);  // Data\TempClose.dat
std::string startupStampPath(const platform::Platform& platform);   // Data\TempInit.dat
std::string activeLogPath(const platform::Platform& platform);      // Data\Active.log

}  // namespace kv
