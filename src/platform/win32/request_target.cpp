#include "platform/win32/request_target.h"

namespace kv::platform::win32 {

namespace {

bool mustEscape(unsigned char byte) {
    if (byte <= 0x20 || byte >= 0x7F) return true;
    switch (byte) {
        case '"': case '#': case '<': case '>': case '[': case '\\':
        case ']': case '^': case '`': case '{': case '|': case '}':
            return true;
        default: return false;
    }
}

}  // namespace

UrlParts splitUrl(std::string_view url) {
    const auto scheme = url.find("://");
    const auto authority = scheme == std::string_view::npos ? 0 : scheme + 3;
    const auto targetStart = url.find_first_of("/?", authority);
    if (targetStart == std::string_view::npos) return {std::string(url), "/"};
    // A query straight after the host still needs the root path before it.
    std::string target(url[targetStart] == '?' ? "/" : "");
    target.append(url.substr(targetStart));
    return {std::string(url.substr(0, targetStart)), std::move(target)};
}

std::string escapeRequestTarget(std::string_view target) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(target.size());
    for (const char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (mustEscape(byte)) {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace kv::platform::win32
