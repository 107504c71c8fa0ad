#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_text.h"

namespace kv {

// MT4 from build 600 on keeps an installation's files in a data folder under
// <roaming application data>\MetaQuotes\Terminal\. Its origin.txt names the
// installation folder; its name is the MD5 of that folder's path. MT5 keeps
// its data folders the same way, beside MT4's.

// Where the data folders lie: <roaming>\MetaQuotes\Terminal; empty for a user without a roaming folder.
std::string terminalDataRoot(platform::FileSystem& files);

// The installation folder a data folder's origin.txt names, trimmed (trimmedFolder);
// nothing without an origin.txt.
std::optional<std::u16string> originFolder(platform::FileSystem& files, platform::SystemText& system,
                                           const std::string& dataFolder);

// The data folders of this terminal folder: those whose origin.txt names it,
// or, when none does, the one its path names. Only folders that exist.
std::vector<std::string> terminalDataFolders(platform::FileSystem& files, platform::SystemText& system,
                                             const std::string& terminalFolder);

// The name the terminal gives the data folder of an installation folder: the
// MD5 of its path (no trailing backslash), upper-cased, as UTF-16LE bytes.
std::string terminalDataFolderName(platform::SystemText& system, const std::string& terminalFolder);

}  // namespace kv
