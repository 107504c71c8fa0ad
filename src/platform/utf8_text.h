#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kv::platform {

// Paths are UTF-8 in the core. Windows names are UTF-16 and may hold a lone
// surrogate; it is kept as its own three-byte sequence (as WTF-8 does), so
// every name that Windows gives comes back to it unchanged.
std::string utf8FromUtf16(std::u16string_view text);

// Every byte that starts no well-formed sequence becomes U+FFFD.
std::u16string utf16FromUtf8(std::string_view text);

// Nothing when the bytes are not UTF-8 throughout (then they are 8-bit text).
std::optional<std::u16string> strictUtf16FromUtf8(std::string_view text);

}  // namespace kv::platform
