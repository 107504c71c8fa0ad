#pragma once
#include <string>

namespace kv::platform::win32 {

// The folder of the running executable, without a trailing backslash.
std::wstring exeFolder();

}  // namespace kv::platform::win32
