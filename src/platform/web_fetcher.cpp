#include "platform/web_fetcher.h"

namespace kv::platform {

std::string_view hostOf(std::string_view url) {
    const auto scheme = url.find("://");
    if (scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
    return url.substr(0, url.find_first_of(":/?#"));
}

}  // namespace kv::platform
