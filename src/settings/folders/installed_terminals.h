#pragma once
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_text.h"
#include "settings/folders/meta_trader.h"
#include "settings/folders/terminal_files_folder.h"

namespace kv {

// A terminal installed on this PC, as its data folder tells it.
struct InstalledTerminal {
    std::string folder;  // its installation folder with a trailing backslash, as pathname holds one
    MetaTrader kind = MetaTrader::Four;
    std::string filesFolder;  // where our expert writes in it, chosen as for the first terminal
    std::string account;      // the account number its order log shows; empty while it shows none
};

// The terminals named by the origin.txt of the data folders under
// <roaming>\MetaQuotes\Terminal, MT4 or MT5 as the data folder's MQL4 or MQL5
// folder says. An installation whose program is gone (uninstalled, its data
// folder left behind) is not one; each installation comes once.
std::vector<InstalledTerminal> installedTerminals(platform::FileSystem& files, platform::SystemText& system,
                                                  TerminalFilesFolder& filesFolders);

// The account of the first whole line of an order log that has one (its third field); empty with none.
std::string accountInOrderLog(const std::string& bytes, platform::SystemText& system);

}  // namespace kv
