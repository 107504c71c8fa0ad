#include "account/percent_encoding.h"

namespace kv {

namespace {
bool needsEncoding(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return true;  // control bytes, the blank, DEL and non-ASCII bytes
    switch (c) {
        case '&': case '=': case '#': case '+': case '%': case '?': return true;
        default: return false;
    }
}
}  // namespace

std::string percentEncode(std::string_view value) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (char ch : value) {
        auto c = static_cast<unsigned char>(ch);
        if (!needsEncoding(c)) {
            out += ch;
            continue;
        }
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 0x0F];
    }
    return out;
}

}  // namespace kv
