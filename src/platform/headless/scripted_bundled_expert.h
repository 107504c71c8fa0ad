#pragma once
#include <string>

#include "platform/bundled_expert.h"

namespace kv::platform::headless {

// The carried expert as a test sets it; by default a small file of version 1.00.
class ScriptedBundledExpert : public BundledExpert {
public:
    std::string source = "#property copyright \"Korvane - Vantor\"\r\n#property version   \"1.00\"\r\n";
    std::string bytes() override { return source; }
};

}  // namespace kv::platform::headless
