#include "settings/folders/origin_text.h"

#include <optional>

#include "platform/text_file.h"

namespace kv {

namespace {

// Strict UTF-8: nothing when the bytes are not UTF-8 (then they are 8-bit text).
std::optional<std::u16string> fromUtf8(const std::string& bytes, std::size_t from) {
    std::u16string out;
    for (std::size_t i = from; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const int trail = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                                                                    : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (trail < 0 || i + trail >= bytes.size()) return std::nullopt;
        char32_t code = trail == 0 ? lead : lead & (0x3F >> trail);
        for (int k = 1; k <= trail; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        i += trail + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

bool isAscii(const std::string& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Windows upper-cases paths letter by letter; these are the alphabets a
// trader's folder names are written in here.
char16_t upperCase(char16_t c) {
    if (c >= u'a' && c <= u'z') return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;  // Latin-1
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;  // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0; }

}  // namespace

std::u16string decodeAnyText(const std::string& bytes, platform::FileSystem& files) {
    if (const auto start = platform::utf16LeStart(bytes)) return platform::utf16LeUnits(bytes, *start);
    const bool utf8Mark = bytes.starts_with("\xEF\xBB\xBF");
    if (utf8Mark || !isAscii(bytes))
        if (auto text = fromUtf8(bytes, utf8Mark ? 3 : 0)) return *text;
    return files.toUtf16(bytes);
}

std::u16string comparableFolder(std::u16string folder) {
    std::size_t first = 0;
    while (first < folder.size() && isBlank(folder[first])) ++first;
    std::size_t end = folder.size();
    while (end > first && (isBlank(folder[end - 1]) || folder[end - 1] == u'\\')) --end;
    folder = folder.substr(first, end - first);
    for (char16_t& c : folder) c = upperCase(c);
    return folder;
}

}  // namespace kv
