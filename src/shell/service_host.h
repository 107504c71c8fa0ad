#pragma once
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kv {

namespace detail {
constexpr bool isHostLabelChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

constexpr bool isHostName(std::string_view name) {
    if (name.empty() || name.size() > 253) return false;
    std::size_t labelStart = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '.') {
            if (!isHostLabelChar(name[i])) return false;
            continue;
        }
        std::size_t length = i - labelStart;
        if (length == 0 || length > 63 || name[labelStart] == '-' || name[i - 1] == '-') return false;
        labelStart = i + 1;
    }
    return true;
}

constexpr bool isPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    unsigned value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value >= 1 && value <= 65535;
}
}  // namespace detail

// A service base URL: "http://" or "https://", a host name, an optional ":port";
// no path and no trailing slash, so that every request is it plus "/...".
constexpr bool isServiceHost(std::string_view url) {
    std::string_view rest;
    if (url.starts_with("http://"))
        rest = url.substr(7);
    else if (url.starts_with("https://"))
        rest = url.substr(8);
    else
        return false;
    auto colon = rest.find(':');
    if (colon == std::string_view::npos) return detail::isHostName(rest);
    return detail::isHostName(rest.substr(0, colon)) && detail::isPort(rest.substr(colon + 1));
}

inline constexpr std::string_view kBuiltInServiceHost = KV_SERVICE_HOST;
static_assert(isServiceHost(kBuiltInServiceHost),
              "KV_SERVICE_HOST must be http:// or https:// and a host name with an optional :port");

// The base URL for this run: the first line of Data\Service.dat when there is
// one, else the built-in address. A line that is not a valid address is
// reported to the trader, and the built-in address is used.
std::string serviceHost(const platform::Platform& platform);

}  // namespace kv
