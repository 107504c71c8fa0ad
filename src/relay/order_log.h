#pragma once
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kv {

// The lines of systemorder.log, read so that a log caught half-way through a
// rewrite does not count. The expert ends every line with CR LF and rewrites
// the whole file, so text after the last line break is, as a rule, a line
// still being written, with fields cut short: it is held back for a cycle.
// The same unfinished text a cycle later is no write in progress: with all
// fourteen fields it is an expert that does not end its last line, and is
// taken as it stands; with fewer it is a write that died half-way, and is
// left out, since no field of it can be trusted.
class OrderLogLines {
public:
    std::vector<std::string> take(const std::string& bytes, platform::FileSystem& files);

    // Whether the last take held a line back to see it again.
    bool holdingBack() const { return holdingBack_; }

private:
    std::string unfinished_;  // the text after the last line break, as last seen
    bool holdingBack_ = false;
};

}  // namespace kv
