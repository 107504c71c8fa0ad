#pragma once
#include <string>
#include <vector>

namespace kv {

// The main window's public values, shared by every window and the relay.
// Owned by the application; they live as long as the program.
struct FrmMainMdi {
    std::string TimerInterval;  // poll interval in milliseconds, as decimal text
    std::string pathname;       // the MT4 folder, as a rule ending with a backslash
    std::string pathname1;      // where the MT4 expert writes, found from pathname; no trailing backslash
    std::string host;           // service base URL: scheme and host, no path, no trailing slash
    int swlogin = 0;            // 1 while logged in and relaying
    std::vector<std::string> ceklist;  // in-memory copy of Data\LoginChk.dat

    // The MT4 folder and the files folder found from it, where the expert writes.
    void setMt4Folder(const std::string& folder, const std::string& filesFolder) {
        pathname = folder;
        pathname1 = filesFolder;
    }
};

}  // namespace kv
