#include "platform/win32/modeless_message_box.h"

#include <string_view>

namespace kv::platform::win32 {

namespace {

constexpr wchar_t kNotifyClass[] = L"KorvaneVantorBoxClosed";
constexpr UINT kClosedByTrader = WM_APP + 1;

class Locked {
public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Locked() { ReleaseSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

struct ModelessMessageBox::Shared {
    std::wstring text, title;
    UINT flags;
    HWND notify;
    WPARAM serial;
    SRWLOCK lock = SRWLOCK_INIT;
    HWND box = nullptr;      // known once the box's dialog window is created
    bool withdrawn = false;  // the program closed it
};

namespace {

using Shared = ModelessMessageBox::Shared;

// The box of this thread, until its dialog window is created.
thread_local Shared* awaited = nullptr;

// Learns the handle of the box's dialog as it is created, so that the program
// can close it at any moment, even before it shows.
LRESULT CALLBACK watchCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && awaited) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t name[8] = {};
        GetClassNameW(window, name, 8);
        if (std::wstring_view(name) == L"#32770") {
            Locked locked(awaited->lock);
            awaited->box = window;
            if (awaited->withdrawn) PostMessageW(window, WM_CLOSE, 0, 0);
            awaited = nullptr;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI runBox(void* parameter) {
    auto* handed = static_cast<std::shared_ptr<Shared>*>(parameter);
    const std::shared_ptr<Shared> box = std::move(*handed);
    delete handed;
    awaited = box.get();
    HHOOK hook = SetWindowsHookExW(WH_CBT, watchCreation, nullptr, GetCurrentThreadId());
    MessageBoxW(nullptr, box->text.c_str(), box->title.c_str(), box->flags);
    if (hook) UnhookWindowsHookEx(hook);
    Locked locked(box->lock);
    if (!box->withdrawn) PostMessageW(box->notify, kClosedByTrader, box->serial, 0);
    return 0;
}

HWND createNotifyWindow(ModelessMessageBox* owner, WNDPROC procedure) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kNotifyClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered
    HWND window = CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

}  // namespace

ModelessMessageBox::~ModelessMessageBox() {
    close();
    if (notify_) DestroyWindow(notify_);
}

bool ModelessMessageBox::open(const std::wstring& text, const std::wstring& title, UINT flags,
                              std::function<void()> closed) {
    close();
    if (!notify_) notify_ = createNotifyWindow(this, notifyProc);
    if (!notify_) return false;
    auto box = std::make_shared<Shared>();
    box->text = text;
    box->title = title;
    box->flags = flags;
    box->notify = notify_;
    box->serial = ++serial_;
    auto* handed = new std::shared_ptr<Shared>(box);
    HANDLE thread = CreateThread(nullptr, 0, runBox, handed, 0, nullptr);
    if (!thread) {
        delete handed;
        return false;
    }
    CloseHandle(thread);
    box_ = std::move(box);
    closed_ = std::move(closed);
    return true;
}

void ModelessMessageBox::close() {
    if (!box_) return;
    {
        Locked locked(box_->lock);
        box_->withdrawn = true;
        if (box_->box) PostMessageW(box_->box, WM_CLOSE, 0, 0);
    }
    box_.reset();
    closed_ = nullptr;
}

LRESULT CALLBACK ModelessMessageBox::notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ModelessMessageBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kClosedByTrader && self) {
        self->closedByTrader(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ModelessMessageBox::closedByTrader(WPARAM serial) {
    if (!box_ || serial != serial_) return;
    box_.reset();
    std::function<void()> closed = std::move(closed_);
    closed_ = nullptr;
    if (closed) closed();
}

}  // namespace kv::platform::win32
