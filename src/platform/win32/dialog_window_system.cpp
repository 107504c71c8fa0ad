#include "platform/win32/dialog_window_system.h"

#include <stdexcept>

#include "platform/win32/callback_guard.h"
#include "platform/win32/dialog_controls.h"
#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

namespace {

constexpr const char* kMainFormName = "FrmMainMdi";

void bringToFront(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

Control* controlNamed(Form& form, const char* name) {
    for (auto& control : form.controls)
        if (control.name == name) return &control;
    return nullptr;
}

}  // namespace

DialogWindowSystem::DialogWindowSystem(HINSTANCE instance, HiddenWindow& hiddenWindow, const AppIcons& icons)
    : instance_(instance), hiddenWindow_(hiddenWindow), icons_(icons) {}

DialogWindowSystem::~DialogWindowSystem() {
    for (auto& [name, window] : windows_)
        if (window->layout) DestroyWindow(window->window);
}

DialogWindowSystem::OpenWindow* DialogWindowSystem::find(const Form& form) const {
    const auto found = windows_.find(form.name);
    return found == windows_.end() ? nullptr : found->second.get();
}

DialogWindowSystem::OpenWindow* DialogWindowSystem::open(Form& form) {
    if (OpenWindow* existing = find(form)) {
        existing->form = &form;
        return existing;
    }
    auto window = std::make_unique<OpenWindow>();
    window->form = &form;
    window->owner = this;
    if (form.name == kMainFormName) {
        window->window = hiddenWindow_.handle();
    } else {
        window->layout = dialogLayoutFor(form.name);
        if (!window->layout) return nullptr;
        // No owner: each dialog is a window of its own on the task bar. It
        // starts hidden; show() fills and shows it.
        CreateDialogParamW(instance_, window->layout->resource, nullptr, dialogProc,
                           reinterpret_cast<LPARAM>(window.get()));
        if (!window->window) throw std::runtime_error("the window " + form.name + " could not be created");
    }
    return windows_.emplace(form.name, std::move(window)).first->second.get();
}

HWND DialogWindowSystem::handleOf(const Form& form) const {
    const OpenWindow* window = find(form);
    return window ? window->window : nullptr;
}

void DialogWindowSystem::push(OpenWindow& window) {
    if (!window.layout) return;
    window.pushing = true;
    const std::wstring caption = codePageToWide(window.form->caption);
    wchar_t shown[256] = {};
    GetWindowTextW(window.window, shown, 256);
    if (caption != shown) SetWindowTextW(window.window, caption.c_str());
    pushValues(window.window, *window.layout, *window.form);
    window.pushing = false;
}

void DialogWindowSystem::show(Form& form) {
    OpenWindow* window = open(form);
    if (!window) return;
    push(*window);
    if (!IsWindowVisible(window->window))
        ShowWindow(window->window, window->state == WindowState::Minimized ? SW_SHOWMINNOACTIVE : SW_SHOW);
    else if (window->state == WindowState::Normal)
        bringToFront(window->window);
}

void DialogWindowSystem::hide(Form& form) {
    if (OpenWindow* window = open(form)) ShowWindow(window->window, SW_HIDE);
}

// A hidden window only remembers the state; it takes it when it is shown.
void DialogWindowSystem::setState(Form& form, WindowState state) {
    OpenWindow* window = open(form);
    if (!window) return;
    window->state = state;
    if (!IsWindowVisible(window->window)) return;
    if (state == WindowState::Minimized)
        ShowWindow(window->window, SW_MINIMIZE);
    else
        bringToFront(window->window);
}

void DialogWindowSystem::centre(Form& form) {
    OpenWindow* window = open(form);
    if (!window) return;
    RECT bounds{};
    GetWindowRect(window->window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window->window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindowSystem::refresh(Form& form) {
    if (OpenWindow* window = find(form)) push(*window);
}

// The main window belongs to the platform for the whole run: unloading it
// only hides it. A dialog is destroyed, possibly from inside its own handler.
void DialogWindowSystem::destroy(Form& form) {
    const auto found = windows_.find(form.name);
    if (found == windows_.end()) return;
    const std::unique_ptr<OpenWindow> window = std::move(found->second);
    windows_.erase(found);
    if (window->layout)
        DestroyWindow(window->window);
    else
        ShowWindow(window->window, SW_HIDE);
}

bool DialogWindowSystem::handleDialogMessage(MSG& message) {
    if (!message.hwnd) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    for (const auto& [name, window] : windows_)
        if (window->layout && window->window == root) return IsDialogMessageW(root, &message) != FALSE;
    return false;
}

// The handler may close the window, or even close and open it again: after
// it the window is looked up anew by its form.
template <class Handler>
void DialogWindowSystem::runHandler(OpenWindow& window, Handler handler) {
    Form& form = *window.form;
    readValues(window.window, *window.layout, form);
    if (!form.events) return;
    runGuarded([&] { handler(*form.events); });
    if (OpenWindow* after = find(form)) push(*after);
}

INT_PTR CALLBACK DialogWindowSystem::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        reinterpret_cast<OpenWindow*>(lParam)->window = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* window = reinterpret_cast<OpenWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!window) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return FALSE;
    }
    return window->owner->handleMessage(*window, message, wParam);
}

INT_PTR DialogWindowSystem::handleMessage(OpenWindow& window, UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG:
            onInit(window);
            return TRUE;
        case WM_COMMAND:
            onCommand(window, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CLOSE:  // close box, Alt+F4, the system menu
            runHandler(window, [](FormEvents& events) { events.onCloseCommand(); });
            return TRUE;
        default: return FALSE;
    }
}

void DialogWindowSystem::onInit(OpenWindow& window) {
    SendMessageW(window.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_.large));
    SendMessageW(window.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_.caption));
    // Common controls 6 would mask a password with dots.
    for (const auto& binding : window.layout->controls) {
        HWND control = GetDlgItem(window.window, binding.id);
        if (GetWindowLongW(control, GWL_STYLE) & ES_PASSWORD) SendMessageW(control, EM_SETPASSWORDCHAR, L'*', 0);
    }
}

// Enter reaches here as a click on the dialog's default button, Escape as IDCANCEL.
void DialogWindowSystem::onCommand(OpenWindow& window, int id, int code) {
    if (id == IDCANCEL) {
        runHandler(window, [](FormEvents& events) { events.onCloseCommand(); });
        return;
    }
    const char* name = window.layout->nameOf(id);
    Control* control = name ? controlNamed(*window.form, name) : nullptr;
    if (!control) return;
    if (code == BN_CLICKED && control->kind == ControlKind::Button) {
        const std::string button = name;
        runHandler(window, [&button](FormEvents& events) { events.onButton(button); });
        return;
    }
    if (window.pushing) return;
    switch (code) {
        case EN_CHANGE: {
            const std::string box = name;
            runHandler(window, [&box](FormEvents& events) { events.onTextChange(box); });
            break;
        }
        case BN_CLICKED:  // a check box was ticked or cleared
            readValues(window.window, *window.layout, *window.form);
            break;
        case CBN_SELCHANGE:  // and LBN_SELCHANGE, of the same number
            if (control->kind == ControlKind::ComboBox || control->kind == ControlKind::ListBox) {
                const std::string list = name;
                runHandler(window, [&list](FormEvents& events) { events.onPick(list); });
            }
            break;
        default: break;
    }
}

}  // namespace kv::platform::win32
