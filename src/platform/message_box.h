#pragma once
#include <functional>
#include <string>

namespace kv::platform {

enum class MessageIcon { Error, Information };

// Boxes with an OK button, always titled with the application name, in two
// ways: modal, for what the trader's own action raised, and modeless, for what
// the program finds by itself and takes away itself once it is over. Texts are
// UTF-8, the form of the paths a message may name.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Returns when the trader closes the box.
    virtual void showModal(const std::string& text, MessageIcon icon) = 0;
    // Returns at once; the program's timers, windows and folder watches go on
    // while the box stays open. `closed` runs on the program's thread when the
    // trader closes it. One such box at a time: a second replaces the first.
    virtual void openModeless(const std::string& text, MessageIcon icon, std::function<void()> closed) = 0;
    // The program closes the modeless box itself; `closed` is not run.
    virtual void closeModeless() = 0;
};

inline constexpr const char* kApplicationTitle = "Korvane - Vantor";

}  // namespace kv::platform
