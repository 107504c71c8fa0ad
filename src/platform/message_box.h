#pragma once
#include <functional>
#include <string>

namespace kv::platform {

enum class MessageIcon { Error, Information };

// Boxes with an OK button, always titled with the application name.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Modal: returns when the trader closes the box. Texts are UTF-8, the
    // form of the paths a message may name.
    virtual void show(const std::string& text, MessageIcon icon) = 0;
    // Returns at once; the program's timers, windows and folder watches go on
    // while the box stays open. `closed` runs on the program's thread when the
    // trader closes it. One such box at a time: a second open replaces the first.
    virtual void open(const std::string& text, MessageIcon icon, std::function<void()> closed) = 0;
    // The program closes the opened box itself; `closed` is not run.
    virtual void closeOpened() = 0;
};

inline constexpr const char* kApplicationTitle = "Korvane - Vantor";

}  // namespace kv::platform
