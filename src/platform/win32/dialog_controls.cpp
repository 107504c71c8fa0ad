#include "platform/win32/dialog_controls.h"

#include <vector>

#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

namespace {

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring wideOf(const Control& control) {
    return control.form == TextForm::Utf8 ? utf8ToWide(control.text) : codePageToWide(control.text);
}

void setTextIfDifferent(HWND window, const std::wstring& wide) {
    if (windowText(window) != wide) SetWindowTextW(window, wide.c_str());
}

std::wstring comboItem(HWND combo, int index) {
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    item.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()))));
    return item;
}

std::vector<std::string> comboItems(HWND combo) {
    std::vector<std::string> items;
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) items.push_back(codePageFromWide(comboItem(combo, i)));
    return items;
}

// A drop-down list: it shows only an item, the one the text names exactly
// (the box's own search ignores case), or none.
void pushCombo(HWND combo, const Control& control) {
    if (comboItems(combo) != control.items) {
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const auto& item : control.items)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(codePageToWide(item).c_str()));
    }
    int selected = -1;
    for (std::size_t i = 0; i < control.items.size(); ++i)
        if (control.items[i] == control.text) {
            selected = static_cast<int>(i);
            break;
        }
    if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != selected) SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

}  // namespace

void pushValues(HWND dialog, const DialogLayout& layout, const Form& form) {
    for (const auto& control : form.controls) {
        HWND window = GetDlgItem(dialog, layout.idOf(control.name));
        if (!window) continue;
        switch (control.kind) {
            case ControlKind::TextBox:
            case ControlKind::PasswordBox:
                setTextIfDifferent(window, wideOf(control));
                break;
            case ControlKind::ComboBox:
                pushCombo(window, control);
                break;
            case ControlKind::CheckBox:
                SendMessageW(window, BM_SETCHECK, control.value ? BST_CHECKED : BST_UNCHECKED, 0);
                [[fallthrough]];
            case ControlKind::Label:
            case ControlKind::Button:
                if (!control.text.empty()) setTextIfDifferent(window, wideOf(control));
                break;
        }
    }
}

void readValues(HWND dialog, const DialogLayout& layout, Form& form) {
    for (auto& control : form.controls) {
        HWND window = GetDlgItem(dialog, layout.idOf(control.name));
        if (!window) continue;
        const std::wstring text = windowText(window);
        control.text = control.form == TextForm::Utf8 ? utf8FromWide(text) : codePageFromWide(text);
        if (control.kind == ControlKind::CheckBox)
            control.value = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        if (control.kind == ControlKind::ComboBox) control.items = comboItems(window);
    }
}

void readComboPick(HWND combo, Control& control) {
    const auto picked = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (picked != CB_ERR) control.text = codePageFromWide(comboItem(combo, picked));
}

}  // namespace kv::platform::win32
