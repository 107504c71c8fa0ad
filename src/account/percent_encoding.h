#pragma once
#include <string>
#include <string_view>

namespace kv {

// Makes a value safe inside a query string: "&", "=", "#", "+", "%", "?", the
// blank, control bytes and bytes above 127 become %XX (upper-case hex of the
// byte as held). Everything else, letters, digits, "@", ".", "-", "_" and "~"
// among it, is sent as it is, so ordinary e-mail addresses do not change.
std::string percentEncode(std::string_view value);

}  // namespace kv
