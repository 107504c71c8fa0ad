#pragma once
#include <string>

#include "platform/win32/unique_handle.h"

namespace kv::platform::win32 {

// Holds a named mutex for as long as the program runs. Two copies started
// from the same folder would share one Data folder and report every order
// twice; a copy in another folder (for another terminal) may run beside it.
class SingleInstance {
public:
    explicit SingleInstance(const std::wstring& exeFolder);
    bool alreadyRunning() const { return alreadyRunning_; }

private:
    UniqueHandle mutex_;
    bool alreadyRunning_ = false;
};

}  // namespace kv::platform::win32
