#include "platform/win32/dpi_awareness.h"

#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

void becomeDpiAware() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    // Looked up at run time: the function exists only from Windows 10 1703.
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const auto setContext = user32 ? reinterpret_cast<SetContext>(
                                         reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                                   : nullptr;
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (setContext && setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return;
    SetProcessDPIAware();
}

}  // namespace kv::platform::win32
