#pragma once
#include "platform/system_text.h"

namespace kv::platform::headless {

// Tests run without a Windows code page: Latin-1 stands in for it, and the
// C library's Unicode table for the system's upper-casing.
class Latin1SystemText : public SystemText {
public:
    std::string codePageFromUtf16(const std::u16string& text) override;
    std::u16string utf16FromCodePage(const std::string& text) override;
    std::u16string upperCase(std::u16string text) override;
};

}  // namespace kv::platform::headless
