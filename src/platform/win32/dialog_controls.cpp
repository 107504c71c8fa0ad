#include "platform/win32/dialog_controls.h"

#include <algorithm>
#include <vector>

#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

namespace {

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring wideOf(const Control& control, const std::string& text) {
    return control.form == TextForm::Utf8 ? utf8ToWide(text) : codePageToWide(text);
}
std::wstring wideOf(const Control& control) { return wideOf(control, control.text); }

std::string textOf(const Control& control, const std::wstring& wide) {
    return control.form == TextForm::Utf8 ? utf8FromWide(wide) : codePageFromWide(wide);
}

void setTextIfDifferent(HWND window, const std::wstring& wide) {
    if (windowText(window) != wide) SetWindowTextW(window, wide.c_str());
}

// The messages of one kind of list: a combo box's or a list box's.
struct ListMessages {
    UINT count, textLength, text, reset, add;
};
constexpr ListMessages kComboMessages{CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_RESETCONTENT, CB_ADDSTRING};
constexpr ListMessages kListMessages{LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_RESETCONTENT, LB_ADDSTRING};

std::wstring listItem(HWND list, const ListMessages& messages, int index) {
    const auto length = SendMessageW(list, messages.textLength, index, 0);
    if (length < 0) return {};
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(list, messages.text, index, reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    return item;
}

std::vector<std::string> listItems(HWND list, const ListMessages& messages, const Control& control) {
    std::vector<std::string> items;
    const auto count = static_cast<int>(SendMessageW(list, messages.count, 0, 0));
    for (int i = 0; i < count; ++i) items.push_back(textOf(control, listItem(list, messages, i)));
    return items;
}

// True when the items changed.
bool pushItems(HWND list, const ListMessages& messages, const Control& control) {
    if (listItems(list, messages, control) == control.items) return false;
    SendMessageW(list, messages.reset, 0, 0);
    for (const auto& item : control.items)
        SendMessageW(list, messages.add, 0, reinterpret_cast<LPARAM>(wideOf(control, item).c_str()));
    return true;
}

// A list box made to scroll sideways does so as far as its longest item
// reaches, so the end of a long path can be seen. (Its style does not tell:
// the box clears WS_HSCROLL while its scroll bar is hidden.)
void fitHorizontalExtent(HWND list) {
    HDC dc = GetDC(list);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const std::wstring item = listItem(list, kListMessages, i);
        SIZE size{};
        GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &size);
        widest = std::max(widest, size.cx);
    }
    SelectObject(dc, font);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + GetSystemMetrics(SM_CXEDGE) * 2), 0);
}

// A drop-down list: it shows only an item, the one the text names exactly
// (the box's own search ignores case), or none.
void pushCombo(HWND combo, const Control& control) {
    pushItems(combo, kComboMessages, control);
    int selected = -1;
    for (std::size_t i = 0; i < control.items.size(); ++i)
        if (control.items[i] == control.text) {
            selected = static_cast<int>(i);
            break;
        }
    if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != selected) SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

// While a pick is being reported the box's own text still shows the old
// item, so the selection is read instead.
std::string comboPick(HWND combo, const Control& control) {
    const auto picked = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    return picked == CB_ERR ? std::string() : textOf(control, listItem(combo, kComboMessages, picked));
}

bool selectsSeveral(HWND list) { return GetWindowLongW(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL); }

std::vector<std::size_t> listSelection(HWND list) {
    std::vector<std::size_t> selected;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (SendMessageW(list, LB_GETSEL, i, 0) > 0) selected.push_back(static_cast<std::size_t>(i));
    return selected;
}

void pushList(HWND list, const Control& control) {
    if (pushItems(list, kListMessages, control)) fitHorizontalExtent(list);
    if (listSelection(list) == control.selected) return;
    if (!selectsSeveral(list)) {
        const WPARAM index = control.selected.empty() ? static_cast<WPARAM>(-1) : control.selected.front();
        SendMessageW(list, LB_SETCURSEL, index, 0);
        return;
    }
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (std::size_t index : control.selected) SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(index));
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
            case ControlKind::ListBox:
                pushList(window, control);
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
        switch (control.kind) {
            case ControlKind::ComboBox:
                control.items = listItems(window, kComboMessages, control);
                control.text = comboPick(window, control);
                break;
            case ControlKind::ListBox:
                control.items = listItems(window, kListMessages, control);
                control.selected = listSelection(window);
                break;
            case ControlKind::CheckBox:
                control.value = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
                [[fallthrough]];
            default:
                control.text = textOf(control, windowText(window));
                break;
        }
    }
}

}  // namespace kv::platform::win32
