#pragma once
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kv {

// The lines of a file that may not exist yet: a missing file holds no lines.
// A file that is there but cannot be read is reported to the trader, naming
// it, and then also counts as holding none.
std::vector<std::string> readOptionalLines(const platform::Platform& platform, const std::string& path);

}  // namespace kv
