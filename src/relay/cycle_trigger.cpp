#include "relay/cycle_trigger.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kv {

namespace {

// The expert's log, whatever the case of its name. An empty name is a
// platform that lost count of the changes: the log may be among them. The
// relay's own files (manualorder.log and its temporary files) start nothing.
bool mayBeOrderLog(std::string_view name) {
    constexpr std::string_view log = "systemorder.log";
    return name.empty() || std::equal(name.begin(), name.end(), log.begin(), log.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

}  // namespace

CycleTrigger::CycleTrigger(const platform::Platform& platform, const FrmMainMdi& main, PollCycle& poll)
    : platform_(platform),
      main_(main),
      poll_(poll),
      mytimer_(platform.timers.create([this] { runCycle(); })),
      settle_(platform.timers.create([this] { settled(); })) {}

void CycleTrigger::start() {
    on_ = true;
    mytimer_->setEnabled(true);
    follow();
}

void CycleTrigger::stop() {
    on_ = false;
    mytimer_->setEnabled(false);
    settle_->setEnabled(false);
    watch_.reset();
    watched_.clear();
    changedInCycle_ = false;
}

void CycleTrigger::runCycle() {
    // A cycle waits on no box; should a tick still come inside one, it is dropped.
    if (poll_.running()) return;
    changedInCycle_ = false;
    poll_.tick();
    lastCycleEnd_ = platform_.clock.steadyMilliseconds();
    if (!on_) return;
    follow();
    if (changedInCycle_ || poll_.leftEventsPending()) soon(kSpacingMs);
}

void CycleTrigger::fileChanged(const std::string& name, platform::FolderChange how) {
    if (!on_ || !mayBeOrderLog(name)) return;
    const bool renamedIn = how == platform::FolderChange::RenamedIn;
    if (poll_.running() && renamedIn) {
        // Read once the running cycle has ended and the short spacing passed.
        spacing_ = kRenameSpacingMs;
        soon(kRenameSpacingMs);
    } else if (poll_.running()) {
        changedInCycle_ = true;
    } else if (renamedIn) {
        // Whole: no settling, and whatever a write before it left waiting is superseded.
        runSpaced(kRenameSpacingMs);
    } else if (!settle_->enabled()) {
        spacing_ = kSpacingMs;
        soon(kSettleMs);
    }
}

void CycleTrigger::settled() {
    settle_->setEnabled(false);
    if (!on_) return;
    if (poll_.running()) {
        changedInCycle_ = true;
        return;
    }
    runSpaced(spacing_);
}

void CycleTrigger::runSpaced(unsigned spacing) {
    const std::uint64_t now = platform_.clock.steadyMilliseconds();
    if (lastCycleEnd_ && now - *lastCycleEnd_ < spacing) {
        spacing_ = spacing;
        soon(static_cast<unsigned>(spacing - (now - *lastCycleEnd_)));
        return;
    }
    settle_->setEnabled(false);
    runCycle();
}

void CycleTrigger::soon(unsigned milliseconds) {
    settle_->setEnabled(false);
    settle_->setInterval(milliseconds);
    settle_->setEnabled(true);
}

void CycleTrigger::follow() {
    if (watch_ && watched_ == main_.pathname1) return;
    watch_.reset();
    watched_ = main_.pathname1;
    watch_ = platform_.folderWatch.watch(
        watched_, [this](const std::string& name, platform::FolderChange how) { fileChanged(name, how); });
}

}  // namespace kv
