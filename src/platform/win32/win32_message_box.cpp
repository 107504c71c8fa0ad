#include "platform/win32/win32_message_box.h"

#include "platform/win32/text_codec.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

void Win32MessageBox::show(const std::string& text, MessageIcon icon) {
    const UINT iconFlag = icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION;
    // Task-modal without an owner: the tray program has no window in front
    // that could own it, and every window of this thread is disabled meanwhile.
    MessageBoxW(nullptr, toWide(text).c_str(), toWide(kApplicationTitle).c_str(),
                MB_OK | iconFlag | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace kv::platform::win32
