#pragma once
#include <functional>

#include "platform/win32/app_icons.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// The hidden top-level window behind the core's main window, caption "Korvane Vantor". It owns
// the tray icon, the timers and the pop-up menus, and passes on what arrives
// for them.
class HiddenWindow {
public:
    HiddenWindow(HINSTANCE instance, const AppIcons& icons);
    ~HiddenWindow();
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    HWND handle() const { return window_; }

    // A mouse message over the tray icon (the number arrives in lParam).
    std::function<void(LPARAM mouseMessage)> onIconMessage;
    std::function<void(UINT_PTR timerId)> onTimer;
    // Explorer started again: the tray icon must be added anew.
    std::function<void()> onTaskbarCreated;
    // The installer asks the program to exit before it replaces it.
    std::function<void()> onExitRequest;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    UINT taskbarCreatedMessage_;
    UINT exitRequestMessage_;
    HWND window_ = nullptr;
};

}  // namespace kv::platform::win32
