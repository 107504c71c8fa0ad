#include "platform/headless/latin1_system_text.h"

#include <cwctype>
#include <locale.h>

namespace kv::platform::headless {

std::string Latin1SystemText::codePageFromUtf16(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return out;
}

std::u16string Latin1SystemText::utf16FromCodePage(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
}

std::u16string Latin1SystemText::upperCase(std::u16string text) {
    // Unicode's simple upper case, as Windows applies it, one unit for one.
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    for (char16_t& c : text)
        if (c < 0xD800 || c > 0xDFFF) {
            const auto upper = unicode ? towupper_l(c, unicode) : std::towupper(c);
            if (upper <= 0xFFFF) c = static_cast<char16_t>(upper);
        }
    return text;
}

}  // namespace kv::platform::headless
