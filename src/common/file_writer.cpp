#include "common/file_writer.h"

#include "platform/text_file.h"

namespace kv {

FileWriter::FileWriter(const platform::Platform& platform, std::string consequence)
    : platform_(platform), consequence_(std::move(consequence)) {}

FileWriter::FileWriter(const platform::Platform& platform, Notices& notices, std::string consequence)
    : platform_(platform), notices_(&notices), consequence_(std::move(consequence)) {}

bool FileWriter::replace(const std::string& path, const std::vector<std::string>& lines) {
    return report(path, platform::writeLines(platform_.files, path, lines));
}

bool FileWriter::append(const std::string& path, const std::string& line) {
    return report(path, platform::appendLine(platform_.files, path, line));
}

bool FileWriter::report(const std::string& path, platform::FileError error) {
    if (error == platform::FileError::None) {
        if (notices_) notices_->withdraw(path);
        return true;
    }
    std::string text = "Could not write the file " + path + ": " + platform::describe(error) + ".";
    if (!consequence_.empty()) text += " " + consequence_;
    if (notices_)
        notices_->raise(path, text);
    else
        platform_.messages.showModal(text, platform::MessageIcon::Error);
    return false;
}

}  // namespace kv
