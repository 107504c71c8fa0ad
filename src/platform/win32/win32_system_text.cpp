#include "platform/win32/win32_system_text.h"

#include "platform/win32/text_codec.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// wchar_t is a UTF-16 unit on Windows.
std::string Win32SystemText::codePageFromUtf16(const std::u16string& text) {
    return codePageFromWide(std::wstring(text.begin(), text.end()));
}

std::u16string Win32SystemText::utf16FromCodePage(const std::string& text) {
    const std::wstring wide = codePageToWide(text);
    return std::u16string(wide.begin(), wide.end());
}

std::u16string Win32SystemText::upperCase(std::u16string text) {
    std::wstring wide(text.begin(), text.end());
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return std::u16string(wide.begin(), wide.end());
}

}  // namespace kv::platform::win32
