#include "platform/win32/single_instance.h"

#include <algorithm>
#include <cwctype>

namespace kv::platform::win32 {

namespace {

// Mutex names may not hold a backslash after the namespace prefix, and the
// same folder must give the same name however its letters are cased.
std::wstring mutexName(const std::wstring& exeFolder) {
    std::wstring name = L"Local\\KorvaneVantor:" + exeFolder;
    std::transform(name.begin() + 6, name.end(), name.begin() + 6, [](wchar_t c) {
        return c == L'\\' ? L'/' : static_cast<wchar_t>(std::towupper(c));
    });
    return name;
}

}  // namespace

SingleInstance::SingleInstance(const std::wstring& exeFolder)
    : mutex_(CreateMutexW(nullptr, FALSE, mutexName(exeFolder).c_str())),
      alreadyRunning_(GetLastError() == ERROR_ALREADY_EXISTS) {}

}  // namespace kv::platform::win32
