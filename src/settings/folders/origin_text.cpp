#include "settings/folders/origin_text.h"

#include "platform/text_file.h"
#include "platform/utf8_text.h"

namespace kv {

namespace {

bool isAscii(const std::string& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0; }

}  // namespace

std::u16string decodeAnyText(const std::string& bytes, platform::FileSystem& files) {
    if (const auto start = platform::utf16LeStart(bytes)) return platform::utf16LeUnits(bytes, *start);
    const bool utf8Mark = bytes.starts_with("\xEF\xBB\xBF");
    if (utf8Mark || !isAscii(bytes))
        if (auto text = platform::strictUtf16FromUtf8(std::string_view(bytes).substr(utf8Mark ? 3 : 0))) return *text;
    return files.toUtf16(bytes);
}

std::u16string comparableFolder(std::u16string folder, platform::FileSystem& files) {
    std::size_t first = 0;
    while (first < folder.size() && isBlank(folder[first])) ++first;
    std::size_t end = folder.size();
    while (end > first && (isBlank(folder[end - 1]) || folder[end - 1] == u'\\')) --end;
    folder = folder.substr(first, end - first);
    return files.upperCase(std::move(folder));
}

}  // namespace kv
