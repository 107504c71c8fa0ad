#include "platform/win32/message_loop.h"

namespace kv::platform::win32 {

// Folders heard in a row before the queue is looked at anyway: input waiting
// wakes the next wait at once, but busy folders would always come first.
constexpr int kFolderWakesBeforeQueue = 8;

void runMessageLoop(DialogWindowSystem& windows, const Win32Process& process, Win32FolderWatchFactory& watches) {
    int folderWakes = 0;
    while (!process.ending()) {
        const std::vector<HANDLE> events = watches.events();
        const DWORD count = static_cast<DWORD>(events.size());
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(count, events.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            watches.signalled(events[woke - WAIT_OBJECT_0]);
            if (++folderWakes < kFolderWakesBeforeQueue) continue;
        }
        folderWakes = 0;
        MSG message;
        while (!process.ending() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            if (windows.handleDialogMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace kv::platform::win32
