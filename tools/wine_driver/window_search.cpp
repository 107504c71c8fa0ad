#include "window_search.h"

#include <thread>
#include <vector>

#include "console_text.h"
#include "resource_ids.h"

namespace kvdriver {
namespace {

constexpr Milliseconds kPollInterval{50};
constexpr UINT kAnswerTimeoutMs = 5000;  // a window that does not answer within this is hung

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// EnumWindows with a lambda; stops when VISIT returns false.
void forEachTopLevel(const std::function<bool(HWND)>& visit) {
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            return (*reinterpret_cast<const std::function<bool(HWND)>*>(context))(window) ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&visit));
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM context) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, Milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

HWND waitForWindow(const std::function<HWND()>& find, Milliseconds timeout) {
    HWND found = nullptr;
    waitUntil([&] { return (found = find()) != nullptr; }, timeout);
    return found;
}

std::wstring windowText(HWND window) {
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             kAnswerTimeoutMs, &copied)) {
        return {};
    }
    return std::wstring(text, copied);
}

namespace {

// Captions of top-level windows are held by the window server, so reading
// them sends nothing to a program that may be busy with a slow request.
std::wstring caption(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

}  // namespace

HWND findShownWindow(const std::wstring& wanted, const wchar_t* wantedClass) {
    HWND found = nullptr;
    forEachTopLevel([&](HWND window) {
        if (!IsWindowVisible(window) || caption(window) != wanted) return true;
        if (wantedClass && className(window) != wantedClass) return true;
        found = window;
        return false;
    });
    return found;
}

HWND findMessageBox() { return findShownWindow(L"Korvane - Vantor", L"#32770"); }

HWND findPopupMenu() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

HWND findMainWindow() { return FindWindowW(KV_MAIN_WINDOW_CLASS, KV_MAIN_WINDOW_CAPTION); }

bool trayIconShown() {
    // With no notification area on the X server, Wine shows the icons in a
    // window of its own, one child window per icon.
    bool shown = false;
    forEachTopLevel([&](HWND window) {
        for (HWND child : childrenOf(window)) {
            if (className(child) == L"__winex11_tray_icon" && IsWindowVisible(child)) shown = true;
        }
        if (className(window) == L"__winex11_tray_icon" && IsWindowVisible(window)) shown = true;
        return !shown;
    });
    return shown;
}

void listWindows() {
    const auto describe = [](HWND window, const wchar_t* indent) {
        printLine(indent + className(window) + L" \"" + caption(window) + L"\" id=" +
                  std::to_wstring(GetDlgCtrlID(window)) + (IsWindowVisible(window) ? L" shown" : L" hidden"));
    };
    forEachTopLevel([&](HWND window) {
        describe(window, L"");
        for (HWND child : childrenOf(window)) describe(child, L"  ");
        return true;
    });
}

}  // namespace kvdriver
