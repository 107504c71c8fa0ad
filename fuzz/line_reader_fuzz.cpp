// Every file the program reads goes through the line reader: it must take any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/headless/latin1_system_text.h"
#include "platform/text_encoding.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static kv::platform::headless::Latin1SystemText text;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = kv::platform::splitLines(bytes, text);
    std::size_t total = 0;
    for (const auto& line : lines) {
        if (line.find('\r') != std::string::npos) std::abort();  // CR always ends a line
        total += line.size();
    }
    if (total > bytes.size()) std::abort();
    // Plain 8-bit text survives a write and a read unchanged, line for line.
    using kv::platform::Encoding, kv::platform::UnmarkedUtf8;
    const bool plain = kv::platform::encodingOf(bytes, UnmarkedUtf8::IsCodePage).encoding == Encoding::CodePage;
    if (plain && kv::platform::splitLines(kv::platform::joinLines(lines), text) != lines) std::abort();
    return 0;
}
