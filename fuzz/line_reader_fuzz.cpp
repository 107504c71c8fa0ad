// Every file the program reads goes through the line reader: it must take any bytes.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/headless/latin1_system_text.h"
#include "platform/text_encoding.h"
#include "platform/text_file.h"

namespace {

using fuzz::require;

void lineReader(const std::string& bytes) {
    static kv::platform::headless::Latin1SystemText text;
    const auto lines = kv::platform::splitLines(bytes, text);
    std::size_t total = 0;
    for (const auto& line : lines) {
        require(line.find('\r') == std::string::npos, "CR always ends a line");
        total += line.size();
    }
    require(total <= bytes.size(), "the lines hold no more than the bytes");
    // Plain 8-bit text survives a write and a read unchanged, line for line.
    using kv::platform::Encoding, kv::platform::UnmarkedUtf8;
    const bool plain = kv::platform::encodingOf(bytes, UnmarkedUtf8::IsCodePage).encoding == Encoding::CodePage;
    require(!plain || kv::platform::splitLines(kv::platform::joinLines(lines), text) == lines,
            "plain text reads back line for line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lineReader(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
