// Any Data\Service.dat: the base URL is the built-in one or the file's first
// line without its blanks, it is always a scheme and a host with an optional
// port that every request path can follow, and a refused line is told once.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_file.h"
#include "shell/base/text_values.h"
#include "shell/service_host.h"

namespace {

using fuzz::require;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// host[:port]: a host name of at most 253 characters made of dot-separated
// labels of 1 to 63 letters, digits and inner hyphens; a port of 1 to 65535.
bool isAuthority(std::string_view authority) {
    const auto colon = authority.find(':');
    std::string_view host = authority.substr(0, colon);
    if (colon != std::string_view::npos) {
        std::string_view port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5) return false;
        long value = 0;
        for (char c : port) {
            if (!isDigit(c)) return false;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 65535) return false;
    }
    if (host.empty() || host.size() > 253) return false;
    std::size_t labelStart = 0;
    for (std::size_t i = 0; i <= host.size(); ++i) {
        if (i < host.size() && host[i] != '.') {
            if (!isAlnum(host[i]) && host[i] != '-') return false;
            continue;
        }
        std::string_view label = host.substr(labelStart, i - labelStart);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        labelStart = i + 1;
    }
    return true;
}

bool isBaseUrl(std::string_view url) {
    if (fuzz::startsWith(url, "http://")) return isAuthority(url.substr(7));
    if (fuzz::startsWith(url, "https://")) return isAuthority(url.substr(8));
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    kv::platform::headless::HeadlessPlatform hp;
    hp.writeFile("Data/Service.dat", file);
    const std::string host = kv::serviceHost(hp.platform());

    const auto lines = kv::platform::splitLines(file, hp.files);
    const std::string first = lines.empty() ? std::string() : std::string(kv::trimSpaces(lines.front()));
    const std::string builtIn(kv::kBuiltInServiceHost);
    require(isBaseUrl(host), "the base URL is a scheme and a host with an optional port");
    require(host == first || host == builtIn, "the base URL is the file's first line or the built-in one");
    const bool refused = !first.empty() && host != first;
    require(hp.messages.shown.size() == (refused ? 1u : 0u), "a refused line is told once, an accepted one never");
    if (refused)
        require(hp.messages.shown[0].text.find("Service.dat") != std::string::npos, "the message names the file");
    if (!first.empty()) require(refused != isBaseUrl(first), "exactly the valid addresses are taken");
    return 0;
}
