#pragma once
#include "platform/bundled_expert.h"

namespace kv::platform::win32 {

// The experts from the program's own resources (RCDATA KV_RC_EXPERT_MT4, KV_RC_EXPERT_MT5).
class Win32BundledExpert : public BundledExpert {
public:
    std::string bytes(const std::string& fileName) override;
};

}  // namespace kv::platform::win32
