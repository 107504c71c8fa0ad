#pragma once
#include <string>
#include <vector>

#include "settings/folders/meta_trader.h"

namespace kv {

// A terminal relayed besides the first one (pathname), to a trade system of its own.
struct OtherTerminal {
    std::string folder;  // its installation folder, as pathname
    MetaTrader kind = MetaTrader::Four;
    std::string filesFolder;  // where our expert writes in it, as pathname1
    std::string systemId;     // the trade system its orders go to
};

// The main window's public values, shared by every window and the relay.
// Owned by the application; they live as long as the program.
struct FrmMainMdi {
    std::string TimerInterval;  // poll interval in milliseconds, as decimal text
    std::string pathname;       // the terminal's folder (MT4 or MT5), as a rule ending with a backslash
    MetaTrader terminal = MetaTrader::Four;  // the terminal whose program was chosen in pathname
    std::string pathname1;      // where our expert writes, found from pathname; no trailing backslash
    std::string host;           // service base URL: scheme and host, no path, no trailing slash
    int swlogin = 0;            // 1 while logged in and relaying
    std::vector<std::string> ceklist;  // in-memory copy of Data\LoginChk.dat
    std::vector<OtherTerminal> otherTerminals;  // kept in Data\Terminals.dat

    // The terminal's folder, its kind and the files folder found from them, where the expert writes.
    void setTerminalFolder(const std::string& folder, MetaTrader kind, const std::string& filesFolder) {
        pathname = folder;
        terminal = kind;
        pathname1 = filesFolder;
    }
};

}  // namespace kv
