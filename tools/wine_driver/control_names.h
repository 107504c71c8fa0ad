#pragma once
#include <optional>
#include <string>

namespace kvdriver {

// A control id given on the command line: a number, or the name of one of
// the program's controls without its prefix, e.g. LOGIN_TXTUSER.
std::optional<int> controlId(const std::wstring& text);

// The names controlId knows, for the usage text.
std::wstring controlNameList();

}  // namespace kvdriver
