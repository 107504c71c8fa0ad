#include "platform/win32/callback_guard.h"

#include <exception>
#include <string>

#include "platform/win32/win32_message_box.h"

namespace kv::platform::win32 {

namespace {

void showFault(const std::string& what) {
    Win32MessageBox().showModal("An internal error stopped the last action:\n" + what, MessageIcon::Error);
}

}  // namespace

void runGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& fault) {
        showFault(fault.what());
    } catch (...) {
        showFault("unknown error");
    }
}

}  // namespace kv::platform::win32
