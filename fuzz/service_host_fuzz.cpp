// Any Data\Service.dat: the base URL is the built-in one or the file's first line, and a
// refused line is told once.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text_values.h"
#include "fuzz_support.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_file.h"
#include "shell/service_host.h"

namespace {

using fuzz::require;

// A scheme, then only what a host name and a port are made of.
bool isBaseUrl(std::string_view url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) return false;
    const std::string_view scheme = url.substr(0, schemeEnd), authority = url.substr(schemeEnd + 3);
    return (scheme == "http" || scheme == "https") && !authority.empty() &&
           authority.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:") ==
               std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    kv::platform::headless::HeadlessPlatform hp;
    hp.writeFile("Data/Service.dat", file);
    const std::string host = kv::serviceHost(hp.platform());

    const auto lines = kv::platform::splitLines(file, hp.text);
    const std::string first = lines.empty() ? std::string() : std::string(kv::trimSpaces(lines.front()));
    const std::string builtIn(kv::kBuiltInServiceHost);
    require(isBaseUrl(host), "every request path can follow the base URL");
    require(host == first || host == builtIn, "the base URL is the file's first line or the built-in one");
    const bool refused = !first.empty() && host != first;
    require(hp.messages.shown.size() == (refused ? 1u : 0u), "a refused line is told once, an accepted one never");
    if (refused)
        require(hp.messages.shown[0].text.find("Service.dat") != std::string::npos, "the message names the file");
    return 0;
}
