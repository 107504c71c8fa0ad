#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "relay/poll_cycle.h"
#include "shell/base/frm_main_mdi.h"

namespace kv {

// When poll cycles run: at every tick of mytimer, and soon after the expert
// writes systemorder.log. A write starts a short settling wait, so that the
// writes of one burst make one cycle; after any cycle the next one that a
// write asks for waits for a minimum spacing, so an expert that rewrites its
// log at every price tick cannot keep the relay busy. The timer stays the
// fallback for a platform, or a folder, that tells of no change.
class CycleTrigger {
public:
    static constexpr unsigned kSettleMs = 15;
    static constexpr unsigned kSpacingMs = 50;

    CycleTrigger(const platform::Platform& platform, const FrmMainMdi& main, PollCycle& poll);

    platform::Timer& mytimer() { return *mytimer_; }

    // The timer runs and the MT4 files folder is watched, or neither.
    void start();
    void stop();

private:
    void runCycle();
    void fileChanged(const std::string& name);
    void settled();
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
    std::optional<std::uint64_t> lastCycleEnd_;
};

}  // namespace kv
