#pragma once
#include <string>
#include <string_view>

namespace kv::platform::win32 {

// Windows controls and file names are UTF-16 ("wide"). The core keeps two
// forms of 8-bit text, and every conversion goes through here, named by both
// its ends:
// - the system code page, for what 8-bit files hold (captions, e-mail
//   addresses, trade system names, the clock's texts); the way into it loses
//   a character it has no byte for;
std::wstring codePageToWide(std::string_view text);
std::string codePageFromWide(std::wstring_view text);
// - UTF-8, for paths and for the texts that name one (messages, the settings
//   window's path and label), so no character is lost on the way.
std::wstring utf8ToWide(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

}  // namespace kv::platform::win32
