#pragma once
#include <optional>
#include <string>

#include "platform/message_box.h"
#include "settings/folders/meta_trader.h"

namespace kv {

// The title of the file dialog in which the trader names a terminal.
inline constexpr const char* kChooseTerminal = "Choose the terminal.exe of your MT4 or the terminal64.exe of your MT5";

struct ChosenTerminal {
    std::string folder;  // the path before the program's name, as pathname holds it
    MetaTrader kind;
};

// The terminal a path names by its program; nothing when it names neither
// MT4's nor MT5's, which is then told to the trader.
std::optional<ChosenTerminal> chosenTerminal(const std::string& path, platform::MessageBox& messages);

}  // namespace kv
