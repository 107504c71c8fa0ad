#include "settings/folders/comparable_folder.h"

#include "platform/utf8_text.h"

namespace kv {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0; }

}  // namespace

std::u16string trimmedFolder(std::u16string folder) {
    std::size_t first = 0;
    while (first < folder.size() && isBlank(folder[first])) ++first;
    std::size_t end = folder.size();
    while (end > first && (isBlank(folder[end - 1]) || folder[end - 1] == u'\\')) --end;
    return folder.substr(first, end - first);
}

std::u16string comparableFolder(std::u16string folder, platform::SystemText& system) {
    return system.upperCase(trimmedFolder(std::move(folder)));
}

std::u16string comparableFolder(const std::string& utf8Folder, platform::SystemText& system) {
    return comparableFolder(platform::utf16FromUtf8(utf8Folder), system);
}

}  // namespace kv
