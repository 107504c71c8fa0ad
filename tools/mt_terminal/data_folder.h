// Where an MT4 terminal of build 600 or later, or an MT5 terminal, keeps its
// files when started normally: a data folder under the roaming application
// data, named after the installation folder, whose origin.txt names that folder.
#pragma once
#include <filesystem>
#include <string>

namespace kvterminal {

// Creates <roaming>\MetaQuotes\Terminal\<id>\<MQL>\Files (MQL: "MQL4" or
// "MQL5") and origin.txt for the installation folder TERMINAL_FOLDER (as
// Windows writes it, in UTF-8) and returns the Files folder: the data folder
// whose origin.txt names the installation, else a new one named as the
// terminal names it, the MD5 of the upper-cased folder as UTF-16LE.
std::filesystem::path makeDataFolder(const std::filesystem::path& roaming, const std::string& terminalFolder,
                                     const std::string& mql);

}  // namespace kvterminal
