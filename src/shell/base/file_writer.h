#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kv {

// Writes files and tells the trader, in one clear box naming the file, when a
// write fails. With OncePerFault a file that keeps failing (say, every poll)
// is reported once, and again only after it has been written successfully.
class FileWriter {
public:
    enum class Repeat { EveryTime, OncePerFault };

    FileWriter(const platform::Platform& platform, Repeat repeat, std::string consequence);

    bool replace(const std::string& path, const std::vector<std::string>& lines);
    bool append(const std::string& path, const std::string& line);

private:
    bool report(const std::string& path, platform::FileError error);

    platform::Platform platform_;
    Repeat repeat_;
    std::string consequence_;     // what happens now, e.g. "It will be tried again at the next poll."
    std::set<std::string> failing_;
};

}  // namespace kv
