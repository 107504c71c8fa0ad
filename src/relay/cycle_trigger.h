#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/frm_main_mdi.h"
#include "platform/platform.h"
#include "relay/poll_cycle.h"

namespace kv {

// When poll cycles run: at every tick of mytimer, and soon after the expert
// writes systemorder.log. A write in place starts a short settling wait, so
// that the writes of one burst make one cycle; a log renamed into the folder
// arrived whole and is read at once. After any cycle the next one that a
// change asks for waits for a minimum spacing, so an expert that rewrites its
// log at every price tick cannot keep the relay busy. The timer stays the
// fallback for a platform, or a folder, that tells of no change.
class CycleTrigger {
public:
    static constexpr unsigned kSettleMs = 15;
    static constexpr unsigned kSpacingMs = 50;
    // Our expert renames its log in at most once in its own period (50 ms by
    // default), so a shorter spacing never holds one of its logs back, while
    // an expert renaming at every price tick still leaves the relay idle
    // most of the time.
    static constexpr unsigned kRenameSpacingMs = 20;

    CycleTrigger(const platform::Platform& platform, const FrmMainMdi& main, PollCycle& poll);

    platform::Timer& mytimer() { return *mytimer_; }

    // The timer runs and the terminal's files folder is watched, or neither.
    void start();
    void stop();

private:
    void runCycle();
    void fileChanged(const std::string& name, platform::FolderChange how);
    void settled();
    // Runs a cycle now, or once SPACING has passed since the last one ended.
    void runSpaced(unsigned spacing);
    void soon(unsigned milliseconds);
    // Watches the folder pathname1 names now; Save or a tick may move it.
    void follow();

    platform::Platform platform_;
    const FrmMainMdi& main_;
    PollCycle& poll_;
    std::unique_ptr<platform::Timer> mytimer_;
    std::unique_ptr<platform::Timer> settle_;  // one-shot: switched off when it fires
    std::unique_ptr<platform::FolderWatch> watch_;
    std::string watched_;
    bool on_ = false;
    bool changedInCycle_ = false;
    unsigned spacing_ = kSpacingMs;  // that the change waited for by settle_ keeps
    std::optional<std::uint64_t> lastCycleEnd_;
};

}  // namespace kv
