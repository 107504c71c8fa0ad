#pragma once
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_text.h"

namespace kv::platform {

// Splits file bytes into lines: a line ends at CR LF or at a lone CR; a lone
// LF is an ordinary character. UTF-8 and UTF-16LE text (encodingOf: with a
// byte-order mark, or UTF-16LE without one) is turned into the code page.
std::vector<std::string> splitLines(const std::string& bytes, SystemText& system);

// Every line followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

FileError readLines(FileSystem& files, SystemText& system, const std::string& path, std::vector<std::string>& lines);
FileError writeLines(FileSystem& files, const std::string& path, const std::vector<std::string>& lines);
FileError appendLine(FileSystem& files, const std::string& path, const std::string& line);

}  // namespace kv::platform
