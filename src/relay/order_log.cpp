#include "relay/order_log.h"

#include <string_view>

#include "platform/text_encoding.h"
#include "platform/text_file.h"

namespace kv {

namespace {

// Whether the file's text ends with a line break (a CR, or CR LF), in 8-bit
// text or in UTF-16LE.
bool endsWithLineBreak(const std::string& bytes) {
    if (const auto encoding = platform::encodingOf(bytes, platform::UnmarkedUtf8::IsCodePage);
        encoding.encoding == platform::Encoding::Utf16Le) {
        const std::string_view units(bytes.data() + encoding.start, (bytes.size() - encoding.start) & ~std::size_t{1});
        return units.ends_with(std::string_view("\r\0", 2)) || units.ends_with(std::string_view("\r\0\n\0", 4));
    }
    return bytes.ends_with('\r') || bytes.ends_with("\r\n");
}

// Thirteen separators and something behind the last: nothing is cut off.
bool hasAllFields(const std::string& line) {
    std::size_t from = 0;
    for (int separator = 0; separator < 13; ++separator) {
        from = line.find(';', from);
        if (from == std::string::npos) return false;
        ++from;
    }
    return from < line.size();
}

// Fields 1 to 6: the date, the order number, field 5 and the order type
// decide whether and how an order is reported; the rest is its figures.
std::string decidingFields(const std::string& line) {
    std::size_t end = 0;
    for (int separator = 0; separator < 6; ++separator) {
        end = line.find(';', end);
        if (end == std::string::npos) return line;
        ++end;
    }
    return line.substr(0, end);
}

}  // namespace

std::vector<std::string> OrderLogLines::take(const std::string& bytes, platform::SystemText& system,
                                             std::uint64_t now, std::uint64_t settle) {
    std::vector<std::string> lines = platform::splitLines(bytes, system);
    holdingBack_ = false;
    if (lines.empty() || endsWithLineBreak(bytes)) {
        deciding_.clear();
        return lines;
    }
    const std::string deciding = decidingFields(lines.back());
    if (deciding != deciding_) {
        deciding_ = deciding;
        since_ = now;
    }
    if (now - since_ < settle) {
        holdingBack_ = true;
        lines.pop_back();
    } else if (!hasAllFields(lines.back())) {
        lines.pop_back();
    }
    return lines;
}

}  // namespace kv
