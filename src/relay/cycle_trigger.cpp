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

struct CycleTrigger::Watched {
    std::string key, folder;  // the terminal's, and the folder watched
    std::unique_ptr<platform::FolderWatch> watch;
    std::unique_ptr<platform::Timer> settle;  // one-shot: switched off when it fires
    bool changedInCycle = false;
    unsigned spacing = kSpacingMs;  // that the change waited for by settle keeps
    std::optional<std::uint64_t> lastCycleEnd;
};

CycleTrigger::CycleTrigger(const platform::Platform& platform, RelayedTerminals& terminals, PollCycle& poll)
    : platform_(platform), terminals_(terminals), poll_(poll), mytimer_(platform.timers.create([this] { runCycle(); })) {
    watched_.push_back(watchedTerminal(terminals.cycle(0).site().key()));
}

CycleTrigger::~CycleTrigger() = default;

void CycleTrigger::start() {
    on_ = true;
    mytimer_->setEnabled(true);
    follow();
}

void CycleTrigger::stop() {
    on_ = false;
    mytimer_->setEnabled(false);
    for (auto& w : watched_) {
        w->watch.reset();
        w->settle->setEnabled(false);
    }
}

void CycleTrigger::runCycle() {
    // A cycle waits on no box; should a tick still come inside one, it is dropped.
    if (poll_.running()) return;
    for (auto& w : watched_) w->changedInCycle = false;
    poll_.tick();
    const std::uint64_t now = platform_.clock.steadyMilliseconds();
    if (!on_) return;
    follow();
    const bool pending = poll_.leftEventsPending();
    for (auto& w : watched_) {
        w->lastCycleEnd = now;
        if (w->changedInCycle || pending) soon(*w, kSpacingMs);
    }
}

void CycleTrigger::runTerminal(Watched& watched) {
    std::size_t index = 0;
    while (index < terminals_.count() && terminals_.cycle(index).site().key() != watched.key) ++index;
    watched.changedInCycle = false;
    poll_.tickTerminal(index);
    watched.lastCycleEnd = platform_.clock.steadyMilliseconds();
    if (!on_) return;
    const std::string key = watched.key;
    follow();  // may replace the watched entries
    for (auto& w : watched_)
        if (w->key == key && (w->changedInCycle || poll_.leftEventsPending())) soon(*w, kSpacingMs);
}

void CycleTrigger::fileChanged(Watched& watched, const std::string& name, platform::FolderChange how) {
    if (!on_ || !mayBeOrderLog(name)) return;
    const bool renamedIn = how == platform::FolderChange::RenamedIn;
    if (poll_.running() && renamedIn) {
        // Read once the running cycle has ended and the short spacing passed.
        watched.spacing = kRenameSpacingMs;
        soon(watched, kRenameSpacingMs);
    } else if (poll_.running()) {
        watched.changedInCycle = true;
    } else if (renamedIn) {
        // Whole: no settling, and whatever a write before it left waiting is superseded.
        runSpaced(watched, kRenameSpacingMs);
    } else if (!watched.settle->enabled()) {
        watched.spacing = kSpacingMs;
        soon(watched, kSettleMs);
    }
}

void CycleTrigger::settled(Watched& watched) {
    watched.settle->setEnabled(false);
    if (!on_) return;
    if (poll_.running()) {
        watched.changedInCycle = true;
        return;
    }
    runSpaced(watched, watched.spacing);
}

void CycleTrigger::runSpaced(Watched& watched, unsigned spacing) {
    const std::uint64_t now = platform_.clock.steadyMilliseconds();
    if (watched.lastCycleEnd && now - *watched.lastCycleEnd < spacing) {
        watched.spacing = spacing;
        soon(watched, static_cast<unsigned>(spacing - (now - *watched.lastCycleEnd)));
        return;
    }
    watched.settle->setEnabled(false);
    runTerminal(watched);
}

void CycleTrigger::soon(Watched& watched, unsigned milliseconds) {
    watched.settle->setEnabled(false);
    watched.settle->setInterval(milliseconds);
    watched.settle->setEnabled(true);
}

std::unique_ptr<CycleTrigger::Watched> CycleTrigger::watchedTerminal(const std::string& key) {
    auto w = std::make_unique<Watched>();
    w->key = key;
    Watched& ref = *w;
    w->settle = platform_.timers.create([this, &ref] { settled(ref); });
    return w;
}

void CycleTrigger::follow() {
    if (!on_) return;
    std::vector<std::unique_ptr<Watched>> kept;
    for (std::size_t i = 0; i < terminals_.count(); ++i) {
        const TerminalSite& site = terminals_.cycle(i).site();
        auto it = std::find_if(watched_.begin(), watched_.end(), [&](const auto& w) { return w && w->key == site.key(); });
        // The same terminal keeps its timing.
        std::unique_ptr<Watched> w = it != watched_.end() ? std::move(*it) : watchedTerminal(site.key());
        if (!w->watch || w->folder != site.filesFolder()) {
            Watched& ref = *w;
            w->folder = site.filesFolder();
            w->watch.reset();
            w->watch = platform_.folderWatch.watch(
                w->folder, [this, &ref](const std::string& name, platform::FolderChange how) { fileChanged(ref, name, how); });
        }
        kept.push_back(std::move(w));
    }
    watched_ = std::move(kept);
}

}  // namespace kv
