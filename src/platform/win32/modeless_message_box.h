#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

// A MessageBoxW that does not hold up the program: it runs on a thread of its
// own, so the program's thread goes on with its message loop (the timers, the
// folder watches, the dialogs) while the box is open. The program can close
// it; when the trader closes it, `closed` runs on the program's thread,
// through a message to a message-only window of that thread. One box at a
// time: opening another closes the first.
class ModelessMessageBox {
public:
    ModelessMessageBox() = default;
    ~ModelessMessageBox();
    ModelessMessageBox(const ModelessMessageBox&) = delete;
    ModelessMessageBox& operator=(const ModelessMessageBox&) = delete;

    // False when no thread could be started for it.
    bool open(const std::wstring& text, const std::wstring& title, UINT flags, std::function<void()> closed);
    void close();

    struct Shared;  // what the box's thread and the program's thread both see

private:
    static LRESULT CALLBACK notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void closedByTrader(WPARAM serial);

    HWND notify_ = nullptr;
    std::shared_ptr<Shared> box_;  // the box open now
    std::function<void()> closed_;
    WPARAM serial_ = 0;  // tells a late word from a box already closed by the program apart
};

}  // namespace kv::platform::win32
