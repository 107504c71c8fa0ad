#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/system_text.h"
#include "settings/folders/meta_trader.h"

namespace kv {

// The text (UTF-8) in the system code page when every character fits it; nothing otherwise.
std::optional<std::string> codePageIfItFits(platform::SystemText& system, const std::string& text);

// What marks a settings file written in UTF-8.
inline constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The text (UTF-8) of a settings file written in either form.
std::string settingsFileText(platform::SystemText& system, const std::string& bytes);

// The terminal folder as the first line of Data\Settings.dat holds it. A folder
// whose every character fits the system code page is written in it, as it
// always was, so that older copies of the program still read it; any other
// is written in UTF-8 behind a byte-order mark, so that no character is lost.
std::string settingsLine(platform::SystemText& system, const std::string& terminalFolder);

// The terminal folder (UTF-8, as the core keeps paths) from the bytes of
// Settings.dat in either form; nothing when the file has no line at all.
std::optional<std::string> terminalFolderFromSettings(platform::SystemText& system, const std::string& bytes);

// The lines of Data\Settings.dat. MT5's program name follows the folder on a
// second line, which older copies never read; MT4's file keeps its one line.
std::vector<std::string> settingsLines(platform::SystemText& system, const std::string& terminalFolder,
                                       MetaTrader terminal);

// The terminal Data\Settings.dat names: MT4 unless its second line is MT5's program.
MetaTrader terminalFromSettings(platform::SystemText& system, const std::string& bytes);

}  // namespace kv
