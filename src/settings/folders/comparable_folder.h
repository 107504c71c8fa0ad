#pragma once
#include <string>

#include "platform/system_text.h"

namespace kv {

// An installation folder as written, without surrounding blanks, line ends
// and trailing backslashes.
std::u16string trimmedFolder(std::u16string folder);

// The same in the form two of them compare in: also upper-cased as the system does it.
std::u16string comparableFolder(std::u16string folder, platform::SystemText& system);
std::u16string comparableFolder(const std::string& utf8Folder, platform::SystemText& system);

}  // namespace kv
