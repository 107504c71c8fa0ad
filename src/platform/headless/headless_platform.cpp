#include "platform/headless/headless_platform.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace kv::platform::headless {

HeadlessPlatform::HeadlessPlatform() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvtest-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
    makeFolder("Data");
    files.roamingFolder = root_ + "/Roaming";
}

HeadlessPlatform::~HeadlessPlatform() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

Platform HeadlessPlatform::platform() { return platform(files); }

Platform HeadlessPlatform::platform(FileSystem& filesInFront) {
    return Platform{filesInFront, text, clock, messages, web, timers, windows, tray, menus, fileDialog, process, folderWatch,
                    expert, root_};
}

void HeadlessPlatform::writeFile(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path p = path(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string HeadlessPlatform::readFile(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool HeadlessPlatform::exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }

void HeadlessPlatform::makeFolder(const std::string& relative) const {
    std::filesystem::create_directories(path(relative));
}

void HeadlessPlatform::setWriteTime(const std::string& relative, std::chrono::system_clock::time_point when) const {
    const auto since = when.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    const timespec stamp{seconds.count(),
                         static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count())};
    const timespec times[2] = {stamp, stamp};
    if (::utimensat(AT_FDCWD, path(relative).c_str(), times, 0) != 0)
        throw std::runtime_error("cannot set the write time of " + relative);
}

}  // namespace kv::platform::headless
