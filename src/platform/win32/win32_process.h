#pragma once
#include "platform/shell_ui.h"

namespace kv::platform::win32 {

// Ending the program: the message loop stops after the message that asked
// for it, and the entry point then ends the process.
class Win32Process : public Process {
public:
    void end() override;
    bool ending() const { return ending_; }

private:
    bool ending_ = false;
};

}  // namespace kv::platform::win32
