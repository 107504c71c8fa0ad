#pragma once
#include "platform/bundled_expert.h"

namespace kv::platform::win32 {

// The expert from the program's own resources (RCDATA KV_RC_EXPERT).
class Win32BundledExpert : public BundledExpert {
public:
    std::string bytes() override;
};

}  // namespace kv::platform::win32
