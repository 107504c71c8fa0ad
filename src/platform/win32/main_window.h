#pragma once
#include <functional>

#include "platform/win32/app_icons.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// The program's hidden top-level window, caption "Korvane Vantor". It owns
// the tray icon, the timers and the pop-up menus, and passes on what arrives
// for them.
class MainWindow {
public:
    MainWindow(HINSTANCE instance, const AppIcons& icons);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

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
