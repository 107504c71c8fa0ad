#include "relay/order_log.h"

#include <string_view>

#include "platform/text_file.h"

namespace kv {

namespace {

// Whether the file's text ends with a line break (a CR, or CR LF), in 8-bit
// text or, behind its byte-order mark, in UTF-16LE.
bool endsWithLineBreak(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        const std::string_view units(bytes.data() + 2, (bytes.size() - 2) & ~std::size_t{1});
        return units.ends_with(std::string_view("\r\0", 2)) || units.ends_with(std::string_view("\r\0\n\0", 4));
    }
    return bytes.ends_with('\r') || bytes.ends_with("\r\n");
}

// Whether there is any text behind the byte-order mark, if there is one.
bool hasText(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return bytes.size() >= 4;
    return !bytes.empty() && bytes != "\xEF\xBB\xBF";
}

}  // namespace

std::vector<std::string> finishedOrderLines(const std::string& bytes, platform::FileSystem& files) {
    std::vector<std::string> lines = platform::splitLines(bytes, files);
    if (!lines.empty() && !endsWithLineBreak(bytes)) lines.pop_back();
    return lines;
}

bool hasUnfinishedLine(const std::string& bytes) { return hasText(bytes) && !endsWithLineBreak(bytes); }

}  // namespace kv
