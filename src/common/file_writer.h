#pragma once
#include <string>
#include <vector>

#include "common/notices.h"
#include "platform/platform.h"

namespace kv {

// Writes files and tells the trader, in one clear box naming the file, when a
// write fails. Without notices each failure is told in a modal box (a write
// the trader asked for). With notices (a write the poll cycle makes, again at
// every poll) a file's fault is told once, without waiting for the trader,
// and the box goes once the file has been written.
class FileWriter {
public:
    FileWriter(const platform::Platform& platform, std::string consequence);
    FileWriter(const platform::Platform& platform, Notices& notices, std::string consequence);

    bool replace(const std::string& path, const std::vector<std::string>& lines);
    bool append(const std::string& path, const std::string& line);

private:
    bool report(const std::string& path, platform::FileError error);

    platform::Platform platform_;
    Notices* notices_ = nullptr;
    std::string consequence_;     // what happens now, e.g. "It will be tried again at the next poll."
};

}  // namespace kv
