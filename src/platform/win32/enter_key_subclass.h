#pragma once
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// Posted to an edit box's dialog when Enter is pressed in it; wParam is the
// edit box's control id.
constexpr UINT kEnterKeyMessage = WM_APP + 1;

// Makes the edit box take the Enter key itself (the dialog manager would
// otherwise turn it into a default-button command) and report it to its dialog.
void reportEnterKey(HWND edit);

}  // namespace kv::platform::win32
