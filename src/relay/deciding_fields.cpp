#include "relay/deciding_fields.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/text_encoding.h"
#include "relay/order_fields.h"

namespace kv {

namespace {

constexpr int kDecidingSeparators = 5;  // field 5 ends at the fifth ";"

// Lines end at a CR (a CR LF counts once); a lone LF is part of its line.
bool plainTextEndedByLineBreak(const std::string& log) {
    if (platform::encodingOf(log, platform::UnmarkedUtf8::IsCodePage).encoding != platform::Encoding::CodePage)
        return false;
    return log.empty() || log.ends_with('\r') || log.ends_with("\r\n");
}

std::size_t nextLine(std::string_view log, std::size_t end) {
    return end + 1 < log.size() && log[end + 1] == '\n' ? end + 2 : end + 1;
}

// Where the deciding part of a line ends (just after its fifth ";", or
// after its CR when it has fewer), when both logs have it alike from their
// positions on; 0 when they differ there.
struct Prefix {
    std::size_t length = 0;
    bool wholeLine = false;
};

Prefix bytewise(std::string_view before, std::size_t b, std::string_view after, std::size_t a) {
    int separators = 0;
    for (std::size_t i = 0;; ++i) {
        const char c = before[b + i];
        if (a + i >= after.size() || c != after[a + i]) return {};
        if (c == '\r') return {i + 1, true};
        if (c == ';' && ++separators == kDecidingSeparators) return {i + 1, false};
    }
}

std::uint64_t load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The top bit of every byte of the word that equals c, and no other bit.
std::uint64_t bytesEqualTo(std::uint64_t word, char c) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t x = word ^ (0x0101010101010101ull * static_cast<unsigned char>(c));
    return ~(((x & low7) + low7) | x | low7);
}

// The same, eight bytes at a time: the deciding part is about half of a line,
// and this walk is most of what a busy cycle costs.
Prefix wordwise(std::string_view before, std::size_t b, std::string_view after, std::size_t a) {
    int separators = 0;
    for (std::size_t off = 0; b + off + 8 <= before.size() && a + off + 8 <= after.size(); off += 8) {
        const std::uint64_t wb = load(before.data() + b + off), wa = load(after.data() + a + off);
        const std::uint64_t semicolons = bytesEqualTo(wb, ';'), crs = bytesEqualTo(wb, '\r');
        // Counts off the semicolons before the fifth; what is left starts with it.
        std::uint64_t last = semicolons;
        while (last && separators + 1 < kDecidingSeparators) {
            last &= last - 1;
            ++separators;
        }
        const int semicolonBit = last ? std::countr_zero(last) : 64;
        const int crBit = crs ? std::countr_zero(crs) : 64;
        const int stop = semicolonBit < crBit ? semicolonBit : crBit;
        if (stop == 64) {
            if (wb != wa) return {};
            continue;
        }
        const int bytes = stop / 8 + 1;
        const std::uint64_t mask = bytes == 8 ? ~0ull : (1ull << (8 * bytes)) - 1;
        if ((wb ^ wa) & mask) return {};
        return {off + static_cast<std::size_t>(bytes), crBit < semicolonBit};
    }
    return bytewise(before, b, after, a);
}

// Spares the trimming of the common line, long and without blanks at its ends.
bool isShort(std::string_view line) {
    if (line.size() >= 8 && line.front() != ' ' && line.back() != ' ') return false;
    return isShortOrderLine(line);
}

std::size_t lineEnd(std::string_view log, std::size_t from) {
    const void* cr = std::memchr(log.data() + from, '\r', log.size() - from);
    return static_cast<std::size_t>(static_cast<const char*>(cr) - log.data());
}

}  // namespace

// Most of the busy cycles of an expert that rewrites its log at every price
// tick end here, so the walk is one pass over each log, with no copies.
bool sameDecidingFields(const std::string& beforeLog, const std::string& afterLog) {
    if (!plainTextEndedByLineBreak(beforeLog) || !plainTextEndedByLineBreak(afterLog)) return false;
    const std::string_view before = beforeLog, after = afterLog;
    std::size_t b = 0, a = 0;
    while (b < before.size() && a < after.size()) {
        const Prefix prefix = std::endian::native == std::endian::little ? wordwise(before, b, after, a)
                                                                          : bytewise(before, b, after, a);
        if (prefix.length == 0) return false;
        std::size_t beforeEnd = b + prefix.length - 1, afterEnd = a + prefix.length - 1;
        if (!prefix.wholeLine) {
            // Only the figures differ; they decide nothing, unless they make
            // the line too short to be an order.
            beforeEnd = lineEnd(before, beforeEnd);
            afterEnd = lineEnd(after, afterEnd);
            if (isShort(before.substr(b, beforeEnd - b)) != isShort(after.substr(a, afterEnd - a)))
                return false;
        }
        b = nextLine(before, beforeEnd);
        a = nextLine(after, afterEnd);
    }
    return b >= before.size() && a >= after.size();
}

}  // namespace kv
