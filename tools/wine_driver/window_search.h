#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace kvdriver {

using Milliseconds = std::chrono::milliseconds;

// Polls CONDITION until it holds or TIMEOUT has passed; true when it held.
bool waitUntil(const std::function<bool()>& condition, Milliseconds timeout);

// Polls FIND until it gives a window; nullptr after TIMEOUT.
HWND waitForWindow(const std::function<HWND()>& find, Milliseconds timeout);

// A shown top-level window whose caption is exactly CAPTION (and whose class
// is CLASS_NAME when one is given).
HWND findShownWindow(const std::wstring& caption, const wchar_t* className = nullptr);

HWND findMessageBox();  // the program's message box, titled "Korvane - Vantor"
HWND findPopupMenu();   // an open pop-up menu
HWND findMainWindow();  // the program's hidden main window
bool trayIconShown();   // an icon in Wine's own notification area

// The text of any window, also in another process (WM_GETTEXT is copied
// across; GetWindowText is not for controls). Empty when it does not answer.
std::wstring windowText(HWND window);

// Every top-level window and its children: class, caption, shown or not.
void listWindows();

}  // namespace kvdriver
