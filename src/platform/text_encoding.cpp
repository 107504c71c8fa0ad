#include "platform/text_encoding.h"

#include <algorithm>

#include "platform/utf8_text.h"

namespace kv::platform {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

// 8-bit text never holds a NUL; UTF-16LE of the ASCII an order line is
// made of has one behind every character.
bool firstLineIsUtf16Le(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        if (bytes[i + 1] != '\0') return false;
        if (bytes[i] == '\r') break;
    }
    return i > 0;
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::u16string utf16LeUnits(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return units;
}

}  // namespace

TextEncoding encodingOf(std::string_view bytes, UnmarkedUtf8 unmarked) {
    if (bytes.starts_with(kUtf16LeMark)) return {Encoding::Utf16Le, kUtf16LeMark.size()};
    if (bytes.starts_with(kUtf8Mark)) return {Encoding::Utf8, kUtf8Mark.size()};
    if (firstLineIsUtf16Le(bytes)) return {Encoding::Utf16Le, 0};
    if (unmarked == UnmarkedUtf8::IsUtf8 && !isAscii(bytes) && strictUtf16FromUtf8(bytes)) return {Encoding::Utf8, 0};
    return {Encoding::CodePage, 0};
}

std::u16string utf16FromText(std::string_view bytes, TextEncoding encoding, SystemText& system) {
    const std::string_view text = bytes.substr(std::min(encoding.start, bytes.size()));
    switch (encoding.encoding) {
        case Encoding::Utf16Le: return utf16LeUnits(text);
        case Encoding::Utf8: return utf16FromUtf8(text);
        case Encoding::CodePage: break;
    }
    return system.utf16FromCodePage(std::string(text));
}

std::string codePageFromText(std::string_view bytes, TextEncoding encoding, SystemText& system) {
    if (encoding.encoding == Encoding::CodePage) return std::string(bytes.substr(std::min(encoding.start, bytes.size())));
    return system.codePageFromUtf16(utf16FromText(bytes, encoding, system));
}

}  // namespace kv::platform
