#include "settings/expert/expert_identity.h"

#include <cctype>
#include <charconv>
#include <sstream>

#include "platform/text_file.h"

namespace kv {

namespace {

constexpr const char* kOurCopyright = "Korvane - Vantor";

struct Property {
    std::string name;
    std::string value;  // without its quotes
};

// A line "#property name value", blanks anywhere between the parts.
std::optional<Property> propertyOf(const std::string& line) {
    std::istringstream words(line);
    std::string directive, name;
    if (!(words >> directive >> name) || directive != "#property") return std::nullopt;
    std::string value;
    std::getline(words >> std::ws, value);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return Property{name, value};
}

bool readNumber(const char*& at, const char* end, long& number) {
    const auto [stop, error] = std::from_chars(at, end, number);
    if (error != std::errc() || stop == at || *at == '-' || *at == '+') return false;
    at = stop;
    return true;
}

}  // namespace

std::optional<ExpertVersion> parseExpertVersion(const std::string& text) {
    ExpertVersion version;
    const char* at = text.data();
    const char* end = at + text.size();
    if (!readNumber(at, end, version.major)) return std::nullopt;
    if (at != end && (*at++ != '.' || !readNumber(at, end, version.minor))) return std::nullopt;
    if (at != end) return std::nullopt;
    return version;
}

// MetaEditor may save the file as UTF-16 and editors may end lines with LF
// alone: both still name the same expert.
ExpertIdentity identifyExpert(const std::string& bytes, platform::SystemText& system) {
    ExpertIdentity identity;
    for (const std::string& crLine : platform::splitLines(bytes, system)) {
        std::istringstream lfLines(crLine);
        for (std::string line; std::getline(lfLines, line);) {
            const auto property = propertyOf(line);
            if (!property) continue;
            if (property->name == "copyright" && property->value == kOurCopyright) identity.ours = true;
            if (property->name == "version" && identity.versionText.empty()) {
                identity.versionText = property->value;
                identity.version = parseExpertVersion(property->value);
            }
        }
    }
    return identity;
}

}  // namespace kv
