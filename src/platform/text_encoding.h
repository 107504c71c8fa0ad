#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/system_text.h"

namespace kv::platform {

enum class Encoding { CodePage, Utf8, Utf16Le };

// How a file's bytes hold its text.
struct TextEncoding {
    Encoding encoding = Encoding::CodePage;
    std::size_t start = 0;  // where the text starts, behind its byte-order mark
    bool operator==(const TextEncoding&) const = default;
};

// What a text without a byte-order mark whose bytes read as UTF-8 throughout
// is taken for. The program's own 8-bit files are in the code page, whose
// text may happen to read as UTF-8; a file another program wrote may be UTF-8.
enum class UnmarkedUtf8 { IsCodePage, IsUtf8 };

// The one place that tells a text's encoding: a byte-order mark says it
// (UTF-8, UTF-16LE); without one, a first line with NUL in every odd byte is
// UTF-16LE (what MQL writes without FILE_ANSI), and bytes from 0x80 up that
// read as UTF-8 throughout are UTF-8 when `unmarked` says so. The rest is
// the code page.
TextEncoding encodingOf(std::string_view bytes, UnmarkedUtf8 unmarked);

// The text in UTF-16, whatever its encoding; a byte that starts no UTF-8
// sequence becomes U+FFFD.
std::u16string utf16FromText(std::string_view bytes, TextEncoding encoding, SystemText& system);

// The text in the code page, as the program's 8-bit files hold it. Code-page
// bytes come back as they are; a character of UTF-8 or UTF-16 text that the
// code page lacks becomes "?" or a look-alike.
std::string codePageFromText(std::string_view bytes, TextEncoding encoding, SystemText& system);

}  // namespace kv::platform
