#include "platform/win32/hidden_window.h"

#include "platform/win32/resource_ids.h"

namespace kv::platform::win32 {

HiddenWindow::HiddenWindow(HINSTANCE instance, const AppIcons& icons)
    : instance_(instance),
      taskbarCreatedMessage_(RegisterWindowMessageW(L"TaskbarCreated")),
      exitRequestMessage_(RegisterWindowMessageW(KV_EXIT_REQUEST_MESSAGE)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icons.large;
    windowClass.hIconSm = icons.caption;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = KV_MAIN_WINDOW_CLASS;
    RegisterClassExW(&windowClass);
    // Never shown: it exists so that the shell, the timers and the menus have
    // a window to talk to.
    CreateWindowExW(0, KV_MAIN_WINDOW_CLASS, KV_MAIN_WINDOW_CAPTION, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, this);
    // Started elevated, the program would otherwise never hear from Explorer
    // or from the installer, which run at the user's normal level.
    ChangeWindowMessageFilterEx(window_, taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);
    ChangeWindowMessageFilterEx(window_, exitRequestMessage_, MSGFLT_ALLOW, nullptr);
}

HiddenWindow::~HiddenWindow() {
    if (window_) DestroyWindow(window_);
    UnregisterClassW(KV_MAIN_WINDOW_CLASS, instance_);
}

LRESULT CALLBACK HiddenWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<HiddenWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HiddenWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY && self) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self = nullptr;
    }
    return self ? self->handleMessage(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT HiddenWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == KV_TRAY_CALLBACK_MESSAGE) {
        if (onIconMessage) onIconMessage(lParam);
        return 0;
    }
    if (message == WM_TIMER) {
        if (onTimer) onTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    }
    if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
        if (onTaskbarCreated) onTaskbarCreated();
        return 0;
    }
    if (message == exitRequestMessage_ && exitRequestMessage_ != 0) {
        if (onExitRequest) onExitRequest();
        return 0;
    }
    // The main window is unloaded only by the Exit command, never closed.
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace kv::platform::win32
