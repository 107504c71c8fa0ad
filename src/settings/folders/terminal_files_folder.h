#pragma once
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/system_text.h"
#include "settings/folders/meta_trader.h"

namespace kv {

// The folder our expert writes its files to, found from the terminal's folder.
// MT4 up to build 509 used <MT4 folder>experts\files. Later builds use
// MQL4\Files of the terminal's data folder, or <MT4 folder>MQL4\Files when
// MT4 runs from its own folder; the upgrade left the old files in place.
// MT5 does the same with MQL5\Files and has no older layout.
class TerminalFilesFolder {
public:
    TerminalFilesFolder(platform::FileSystem& files, platform::SystemText& text, platform::Clock& clock)
        : files_(files), text_(text), clock_(clock) {}

    // In order of preference: the data folders' MQL4\Files, the terminal
    // folder's own MQL4\Files, its experts\files; for MT5 the two MQL5\Files.
    std::vector<std::string> candidates(const std::string& terminalFolder, MetaTrader terminal);

    // Chosen afresh: the folder whose systemorder.log was written last; with
    // none yet, the first candidate that exists; with none, the last candidate.
    std::string choose(const std::string& terminalFolder, MetaTrader terminal);

    // Looked at again from the folder in use. A folder that still holds its
    // order log is left only for a newer one, and only once its own has been
    // quiet for over a minute while the other's was written within it.
    std::string recheck(const std::string& terminalFolder, MetaTrader terminal, const std::string& current);

    // What the settings window says about the terminal's folder: which terminal, and where its orders are read.
    std::string describe(const std::string& terminalFolder, MetaTrader terminal);

private:
    std::string chooseAmong(const std::vector<std::string>& folders);

    platform::FileSystem& files_;
    platform::SystemText& text_;
    platform::Clock& clock_;
};

// The files folder of MT4 up to build 509: the MT4 folder followed directly by "experts\files".
std::string legacyFilesFolder(const std::string& mt4Folder);

std::string orderLogIn(const std::string& filesFolder);

}  // namespace kv
