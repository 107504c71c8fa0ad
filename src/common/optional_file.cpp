#include "common/optional_file.h"

#include "platform/text_file.h"

namespace kv {

std::vector<std::string> readOptionalLines(const platform::Platform& platform, const std::string& path) {
    std::vector<std::string> lines;
    platform::FileError error = platform::readLines(platform.files, platform.text, path, lines);
    if (error == platform::FileError::None) return lines;
    if (error != platform::FileError::NotFound)
        platform.messages.showModal("Could not read the file " + path + ": " + platform::describe(error) + ".",
                               platform::MessageIcon::Error);
    return {};
}

}  // namespace kv
