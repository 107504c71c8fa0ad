#include "platform/win32/enter_key_subclass.h"

#include <commctrl.h>

namespace kv::platform::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1;

bool isEnter(const MSG* message) {
    return message && (message->message == WM_KEYDOWN || message->message == WM_CHAR) &&
           message->wParam == VK_RETURN;
}

LRESULT CALLBACK enterKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_GETDLGCODE:
            if (isEnter(reinterpret_cast<const MSG*>(lParam)))
                return DefSubclassProc(edit, message, wParam, lParam) | DLGC_WANTMESSAGE;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                // One report per press, not one per auto-repeat; posted, so the
                // handler may close the dialog without this box still on the stack.
                const bool repeat = (lParam & (1 << 30)) != 0;
                if (!repeat) PostMessageW(GetParent(edit), kEnterKeyMessage, GetDlgCtrlID(edit), 0);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == VK_RETURN) return 0;  // a one-line box would beep at it
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, enterKeyProc, kSubclassId);
            break;
        default: break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void reportEnterKey(HWND edit) { SetWindowSubclass(edit, enterKeyProc, kSubclassId, 0); }

}  // namespace kv::platform::win32
