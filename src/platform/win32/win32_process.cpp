#include "platform/win32/win32_process.h"

#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

void Win32Process::end() {
    ending_ = true;
    // Also ends any modal loop (a message box, a menu) still open under the caller.
    PostQuitMessage(0);
}

}  // namespace kv::platform::win32
