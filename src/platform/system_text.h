#pragma once
#include <string>

namespace kv::platform {

// The system's own rules for text: its 8-bit code page, in which the
// program's files are written, and its upper-casing. Of the program's text
// conversions only the way into the code page can lose a character: one the
// code page has no byte for.
class SystemText {
public:
    virtual ~SystemText() = default;

    // A character the code page lacks becomes "?" or a look-alike.
    virtual std::string codePageFromUtf16(const std::u16string& text) = 0;
    virtual std::u16string utf16FromCodePage(const std::string& text) = 0;

    // Upper-cased letter by letter, one UTF-16 unit for one, as the system
    // does it (a terminal names its data folder by its installation folder so).
    virtual std::u16string upperCase(std::u16string text) = 0;
};

}  // namespace kv::platform
