#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace kv::platform {

enum class ControlKind { Label, TextBox, PasswordBox, CheckBox, ComboBox, ListBox, Button };

// How a control's text is held: in the system code page, as the 8-bit files
// it comes from and goes to hold it, or in UTF-8, the form of paths, for a
// control that shows or takes one.
enum class TextForm { CodePage, Utf8 };

// The values one control holds. The core owns them; the platform shows them and
// writes back what the trader typed or ticked before it runs a handler.
struct Control {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string text;                // caption, box text, or the item a combo box (a list) shows
    int value = 0;                   // check box value: 0 or 1
    std::vector<std::string> items;  // combo box or list box items, in the control's form
    TextForm form = TextForm::CodePage;
    // The list box items selected, by index, in order. The dialog's resource says
    // whether several may be (a list to tick) or at most one.
    std::vector<std::size_t> selected = {};
};

enum class WindowState { Normal, Minimized };

// What a window does when the trader acts on it.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    // A click, or Enter on the window's default button.
    virtual void onButton(const std::string& control) = 0;
    virtual void onCloseCommand() = 0;  // close box, close key or Escape
    // The trader changed a box's text (typing); most windows need not know.
    virtual void onTextChange(const std::string&) {}
    // The trader picked an item of a combo box or changed a list box's selection.
    virtual void onPick(const std::string&) {}
};

// One window as the platform sees it: a name, a caption and its controls.
struct Form {
    std::string name;
    std::string caption;
    std::vector<Control> controls;
    FormEvents* events = nullptr;

    Control& control(const std::string& controlName);
    const Control& control(const std::string& controlName) const;
};

}  // namespace kv::platform
