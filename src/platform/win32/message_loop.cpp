#include "platform/win32/message_loop.h"

namespace kv::platform::win32 {

void runMessageLoop(DialogWindowSystem& windows, const Win32Process& process) {
    MSG message;
    while (!process.ending() && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (windows.handleDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace kv::platform::win32
