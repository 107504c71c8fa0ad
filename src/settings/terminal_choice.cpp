#include "settings/terminal_choice.h"

namespace kv {

std::optional<ChosenTerminal> chosenTerminal(const std::string& path, platform::MessageBox& messages) {
    const auto found = findTerminalProgram(path);
    if (!found) {
        messages.showModal(
            "The Application is invalid. Make sure you have chosen terminal.exe (MT4) or terminal64.exe (MT5) file",
            platform::MessageIcon::Error);
        return std::nullopt;
    }
    return ChosenTerminal{path.substr(0, found->at), found->terminal};
}

}  // namespace kv
