#pragma once
#include "platform/form.h"
#include "platform/win32/dialog_layout.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// Moves control values between a Form and the dialog that shows it.

// Form to screen. Only what differs is touched, so the caret and selection of
// a box the trader is typing in stay put. A label, button or check box whose
// text the form leaves empty keeps the caption of the resource.
void pushValues(HWND dialog, const DialogLayout& layout, const Form& form);

// Screen to form: every text, check value, item list and selection.
void readValues(HWND dialog, const DialogLayout& layout, Form& form);

}  // namespace kv::platform::win32
