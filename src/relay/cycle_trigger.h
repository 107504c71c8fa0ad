#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "relay/poll_cycle.h"
#include "relay/relayed_terminals.h"

namespace kv {

// When poll cycles run: at every tick of mytimer (every terminal's), and
// soon after an expert writes its systemorder.log (that terminal's). A
// write in place starts a short settling wait, so that the writes of one
// burst make one cycle; a log renamed into the folder arrived whole and is
// read at once. After any cycle of a terminal the next one that a change
// asks for waits for a minimum spacing, so an expert that rewrites its log at
// every price tick cannot keep the relay busy. The timer stays the fallback
// for a platform, or a folder, that tells of no change.
class CycleTrigger {
public:
    static constexpr unsigned kSettleMs = 15;
    static constexpr unsigned kSpacingMs = 50;
    // Our expert renames its log in at most once in its own period (50 ms by
    // default), so a shorter spacing never holds one of its logs back, while
    // an expert renaming at every price tick still leaves the relay idle
    // most of the time.
    static constexpr unsigned kRenameSpacingMs = 20;

    CycleTrigger(const platform::Platform& platform, RelayedTerminals& terminals, PollCycle& poll);
    ~CycleTrigger();

    platform::Timer& mytimer() { return *mytimer_; }

    // The timer runs and the terminals' files folders are watched, or neither.
    void start();
    void stop();
    // Watches the folders the terminals name now; Save, a tick or the Terminals window may move them.
    void follow();

private:
    struct Watched;  // one terminal's folder and its own timing

    // Its timing, not yet watching: the first terminal's is made with the trigger.
    std::unique_ptr<Watched> watchedTerminal(const std::string& key);
    void runCycle();
    void runTerminal(Watched& watched);
    void fileChanged(Watched& watched, const std::string& name, platform::FolderChange how);
    void settled(Watched& watched);
    // Runs the terminal's cycle now, or once SPACING has passed since its last one ended.
    void runSpaced(Watched& watched, unsigned spacing);
    void soon(Watched& watched, unsigned milliseconds);

    platform::Platform platform_;
    RelayedTerminals& terminals_;
    PollCycle& poll_;
    std::unique_ptr<platform::Timer> mytimer_;
    std::vector<std::unique_ptr<Watched>> watched_;
    bool on_ = false;
};

}  // namespace kv
