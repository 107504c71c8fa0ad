#pragma once
#include <string>

namespace kv::platform {

enum class MessageIcon { Error, Information };

// A modal box with an OK button, always titled with the application name.
// It returns when the trader closes it.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // The text is UTF-8, the form of the paths a message may name.
    virtual void show(const std::string& text, MessageIcon icon) = 0;
};

inline constexpr const char* kApplicationTitle = "Korvane - Vantor";

}  // namespace kv::platform
