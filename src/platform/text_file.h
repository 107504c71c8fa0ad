#pragma once
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kv::platform {

// Splits file bytes into lines: a line ends at CR LF or at a lone CR; a lone
// LF is an ordinary character. A UTF-8 byte-order mark is skipped; a UTF-16LE
// one makes the rest be read as UTF-16 and turned into the 8-bit code page.
std::vector<std::string> splitLines(const std::string& bytes, FileSystem& files);

// Every line followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

FileError readLines(FileSystem& files, const std::string& path, std::vector<std::string>& lines);
FileError writeLines(FileSystem& files, const std::string& path, const std::vector<std::string>& lines);
FileError appendLine(FileSystem& files, const std::string& path, const std::string& line);

}  // namespace kv::platform
