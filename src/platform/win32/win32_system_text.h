#pragma once
#include "platform/system_text.h"

namespace kv::platform::win32 {

// The system's code page (CP_ACP) and CharUpperBuffW.
class Win32SystemText : public SystemText {
public:
    std::string codePageFromUtf16(const std::u16string& text) override;
    std::u16string utf16FromCodePage(const std::string& text) override;
    std::u16string upperCase(std::u16string text) override;
};

}  // namespace kv::platform::win32
