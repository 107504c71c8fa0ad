#pragma once
#include <string>
#include <string_view>

namespace kv::platform::win32 {

// A URL as the core built it, cut where the transport needs it cut.
struct UrlParts {
    std::string origin;  // scheme and authority: "http://host:8080"
    std::string target;  // path and query, at least "/"
};

UrlParts splitUrl(std::string_view url);

// The request target with the bytes that cannot travel in an HTTP request
// line percent-encoded (blanks, control bytes, bytes from 0x80 up and
// "#<>[\]^`{|}), each 8-bit byte as it is. Everything else, "%", "&", "=" and
// "+" included, stays exactly as the core wrote it.
std::string escapeRequestTarget(std::string_view target);

}  // namespace kv::platform::win32
