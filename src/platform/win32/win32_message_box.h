#pragma once
#include "platform/message_box.h"

namespace kv::platform::win32 {

// MessageBoxW titled with the application name. While it is open every
// window of the program is disabled, so no handler can start again under it.
class Win32MessageBox : public MessageBox {
public:
    void show(const std::string& text, MessageIcon icon) override;
};

}  // namespace kv::platform::win32
