#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace kv {

// The terminal the trader uses. The program he names tells it: MT4's is
// terminal.exe, MT5's terminal64.exe. Both names are searched case-sensitively,
// as terminal.exe always was.
enum class MetaTrader { Four, Five };

const char* terminalProgram(MetaTrader terminal);  // "terminal.exe", "terminal64.exe"
const char* terminalName(MetaTrader terminal);     // "MetaTrader 4", "MetaTrader 5"
const char* shortTerminalName(MetaTrader terminal);  // "MT4", "MT5", as traders call them
const char* mqlFolder(MetaTrader terminal);        // "MQL4", "MQL5"
const char* expertFile(MetaTrader terminal);       // our expert for it: "KorvaneVantor.mq4", "KorvaneVantor.mq5"

struct NamedProgram {
    std::size_t at;  // where the first of the two names starts
    MetaTrader terminal;
};

// The first terminal program named in a path; nothing when neither is.
std::optional<NamedProgram> findTerminalProgram(const std::string& path);

}  // namespace kv
