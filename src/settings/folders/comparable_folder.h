#pragma once
#include <string>

#include "platform/system_text.h"

namespace kv {

// An installation folder as written, in the form two of them compare in:
// without surrounding blanks, line ends and trailing backslashes, upper-cased
// as the system does it.
std::u16string comparableFolder(std::u16string folder, platform::SystemText& system);

}  // namespace kv
