#pragma once
#include <map>
#include <string>

#include "platform/bundled_expert.h"

namespace kv::platform::headless {

// The carried experts as a test sets them, by file name; by default a small file of version 1.00 for each terminal.
class ScriptedBundledExpert : public BundledExpert {
public:
    std::map<std::string, std::string> sources{
        {"KorvaneVantor.mq4", "#property copyright \"Korvane - Vantor\"\r\n#property version   \"1.00\"\r\n"},
        {"KorvaneVantor.mq5", "#property copyright \"Korvane - Vantor\"\r\n#property version   \"1.00\"\r\n// MT5\r\n"}};
    std::string bytes(const std::string& fileName) override {
        const auto found = sources.find(fileName);
        return found == sources.end() ? std::string() : found->second;
    }
};

}  // namespace kv::platform::headless
