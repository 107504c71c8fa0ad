#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace refsvc {

// The value of NAME in a raw query ("a=1&b=2"), percent escapes decoded.
// The relay builds its queries by plain concatenation and the transport only
// escapes what cannot travel, so '+' stays a plus sign.
std::optional<std::string> queryValue(std::string_view query, std::string_view name);

// "%41" becomes "A"; a '%' not followed by two hex digits stays as it is.
std::string percentDecode(std::string_view text);

// The query part of a request target: everything after the first '?'.
std::string_view queryOf(std::string_view target);

}  // namespace refsvc
