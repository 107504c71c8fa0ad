#pragma once
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kv {

// The lines of systemorder.log the expert has finished writing. The expert
// ends every line with CR LF and rewrites the whole file, so a reader can
// catch it half-way: text after the last line break is a line still being
// written, with fields cut short. It is left for the next cycle, which reads
// it whole.
std::vector<std::string> finishedOrderLines(const std::string& bytes, platform::FileSystem& files);

// Whether the file ends in such a line.
bool hasUnfinishedLine(const std::string& bytes);

}  // namespace kv
