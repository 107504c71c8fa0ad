#pragma once
#include <compare>
#include <optional>
#include <string>

#include "platform/system_text.h"

namespace kv {

// An MQL4 program version, "major.minor" as its #property version gives it.
struct ExpertVersion {
    long major = 0;
    long minor = 0;
    auto operator<=>(const ExpertVersion&) const = default;
};

// What an .mq4 file says of itself. Ours when it carries the line
// #property copyright "Korvane - Vantor"; its version is the text of its
// #property version line.
struct ExpertIdentity {
    bool ours = false;
    std::string versionText;               // as written, without quotes; empty when there is none
    std::optional<ExpertVersion> version;  // nothing when the text is not major.minor
};

ExpertIdentity identifyExpert(const std::string& bytes, platform::SystemText& system);

std::optional<ExpertVersion> parseExpertVersion(const std::string& text);

}  // namespace kv
