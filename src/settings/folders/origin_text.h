#pragma once
#include <string>

#include "platform/file_system.h"

namespace kv {

// The text of a file that MT4 or a trader may have written in any of its
// encodings: UTF-16LE (with or without a byte-order mark), UTF-8 (with or
// without one) or the 8-bit system code page.
std::u16string decodeAnyText(const std::string& bytes, platform::FileSystem& files);

// An installation folder as written, in the form two of them compare in:
// without surrounding blanks, line ends and trailing backslashes, upper-cased
// as the system does it.
std::u16string comparableFolder(std::u16string folder, platform::FileSystem& files);

}  // namespace kv
