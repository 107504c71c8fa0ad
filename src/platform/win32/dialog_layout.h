#pragma once
#include <span>
#include <string>

namespace kv::platform::win32 {

struct ControlBinding {
    const char* control;  // the core's control name, e.g. "txtUser"
    int id;               // its id in the dialog resource
};

// Which dialog resource shows a form, and which control id shows each of the
// form's controls. The resource is named after the form.
struct DialogLayout {
    const wchar_t* resource;
    std::span<const ControlBinding> controls;

    int idOf(const std::string& control) const;  // 0 when the dialog has no such control
    const char* nameOf(int id) const;            // nullptr when no control has that id
};

// The layout of a form shown as a dialog; nullptr for forms that have no
// window of their own (the main window, hidden holders).
const DialogLayout* dialogLayoutFor(const std::string& formName);

}  // namespace kv::platform::win32
