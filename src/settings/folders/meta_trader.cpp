#include "settings/folders/meta_trader.h"

namespace kv {

const char* terminalProgram(MetaTrader terminal) {
    return terminal == MetaTrader::Five ? "terminal64.exe" : "terminal.exe";
}

const char* terminalName(MetaTrader terminal) {
    return terminal == MetaTrader::Five ? "MetaTrader 5" : "MetaTrader 4";
}

const char* shortTerminalName(MetaTrader terminal) { return terminal == MetaTrader::Five ? "MT5" : "MT4"; }

const char* mqlFolder(MetaTrader terminal) { return terminal == MetaTrader::Five ? "MQL5" : "MQL4"; }

const char* expertFile(MetaTrader terminal) {
    return terminal == MetaTrader::Five ? "KorvaneVantor.mq5" : "KorvaneVantor.mq4";
}

// Neither name holds the other, so the one that starts first is the one named.
std::optional<NamedProgram> findTerminalProgram(const std::string& path) {
    std::optional<NamedProgram> first;
    for (MetaTrader terminal : {MetaTrader::Four, MetaTrader::Five})
        if (const auto at = path.find(terminalProgram(terminal)); at != std::string::npos && (!first || at < first->at))
            first = NamedProgram{at, terminal};
    return first;
}

}  // namespace kv
