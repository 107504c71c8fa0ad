#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kv::platform {

// How the icon looks: relaying; idle (nobody logged in, greyed); attention.
enum class TrayLook { Relaying, Idle, Attention };

// The notification-area icon. Mouse messages over it reach the core through
// the callback the application registers (the mouse message number).
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void add(const std::string& tip) = 0;
    virtual void remove() = 0;
    // A new tip (lines separated by "\n") and look; kept for a later add.
    virtual void show(const std::string& tip, TrayLook look) = 0;
    // A warning balloon over the icon; the platform holds it back in quiet time.
    virtual void balloon(const std::string& text) = 0;
};

struct MenuItem {
    std::string name;     // e.g. "mnuFlSi"; empty for a separator
    std::string caption;  // e.g. "&Login "; "-" for a separator
};

// Pops a menu up at the mouse pointer and waits: the name of the picked item,
// or empty when the trader clicked elsewhere.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;
    virtual std::string popup(const std::vector<MenuItem>& items) = 0;
};

// The file-open dialog, titled with what to pick and opened in a folder (UTF-8;
// empty, or one that does not exist, leaves the platform's choice): the full
// path of the chosen file, nothing when cancelled.
class FileOpenDialog {
public:
    virtual ~FileOpenDialog() = default;
    virtual std::optional<std::string> choose(const std::string& title, const std::string& folder) = 0;
};

class Process {
public:
    virtual ~Process() = default;
    virtual void end() = 0;  // ends the program at once
};

}  // namespace kv::platform
