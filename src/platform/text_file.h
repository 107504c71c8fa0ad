#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kv::platform {

// Where the text of a UTF-16LE file starts: behind its byte-order mark, or at
// the first byte of a file without one whose first line has NUL in every odd
// byte (what MQL4 writes without FILE_ANSI). Nothing for 8-bit text.
std::optional<std::size_t> utf16LeStart(const std::string& bytes);
std::u16string utf16LeUnits(const std::string& bytes, std::size_t from);

// Splits file bytes into lines: a line ends at CR LF or at a lone CR; a lone
// LF is an ordinary character. A UTF-8 byte-order mark is skipped; UTF-16LE
// text, with or without its mark, is turned into the 8-bit code page.
std::vector<std::string> splitLines(const std::string& bytes, FileSystem& files);

// Every line followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

FileError readLines(FileSystem& files, const std::string& path, std::vector<std::string>& lines);
FileError writeLines(FileSystem& files, const std::string& path, const std::vector<std::string>& lines);
FileError appendLine(FileSystem& files, const std::string& path, const std::string& line);

}  // namespace kv::platform
