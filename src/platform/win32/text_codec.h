#pragma once
#include <string>
#include <string_view>

namespace kv::platform::win32 {

// The core keeps text as 8-bit bytes in the system code page; Windows
// controls and file names are UTF-16. Every conversion goes through here.
std::wstring toWide(std::string_view text);
std::string toAnsi(std::wstring_view text);

}  // namespace kv::platform::win32
