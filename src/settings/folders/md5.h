#pragma once
#include <string>

namespace kv {

// MD5 digest of the bytes, as 32 upper-case hex digits.
std::string md5Hex(const std::string& bytes);

}  // namespace kv
