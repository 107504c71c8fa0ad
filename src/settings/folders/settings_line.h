#pragma once
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace kv {

// The MT4 folder as the first line of Data\Settings.dat holds it. A folder
// whose every character fits the system code page is written in it, as it
// always was, so that older copies of the program still read it; any other
// is written in UTF-8 behind a byte-order mark, so that no character is lost.
std::string settingsLine(platform::FileSystem& files, const std::string& mt4Folder);

// The MT4 folder (UTF-8, as the core keeps paths) from the bytes of
// Settings.dat in either form; nothing when the file has no line at all.
std::optional<std::string> mt4FolderFromSettings(platform::FileSystem& files, const std::string& bytes);

}  // namespace kv
