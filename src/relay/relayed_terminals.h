#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "common/notices.h"
#include "common/proses_write_mo.h"
#include "common/terminal_site.h"
#include "platform/platform.h"
#include "relay/frm_manual.h"
#include "relay/terminal_cycle.h"
#include "settings/expert/expert_placement.h"

namespace kv {

// Every terminal the program relays, each with its own engine: its tables
// and their files, its poll cycle, its expert. The first is the one the
// Setting window names (its tables are FrmManual's, its expert the main
// window's); the others follow FrmMainMdi::otherTerminals.
class RelayedTerminals {
public:
    RelayedTerminals(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, Notices& notices,
                     TerminalSite& firstSite, FrmManual& firstTables, ExpertPlacement& firstExpert);
    ~RelayedTerminals();

    std::size_t count() const { return 1 + others_.size(); }
    TerminalCycle& cycle(std::size_t index);
    const TerminalCycle& cycle(std::size_t index) const;
    const ExpertPlacement& expert(std::size_t index) const;

    // Follows FrmMainMdi::otherTerminals: a terminal newly listed gets an
    // engine and our expert; one no longer listed stops, its files stay. The
    // first call takes the list as it was before this run.
    void reconcile();
    // The others' experts again, where they could not be put or their files folder moved.
    void lookAgainAtExperts();
    // How the terminal is doing, in a sentence.
    std::string describe(std::size_t index) const;

private:
    struct Other;

    void handOver(const Other& gone, const std::vector<std::unique_ptr<Other>>& kept);

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    Notices& notices_;
    ExpertPlacement& firstExpert_;
    FileWriter activeLog_;  // Data\Active.log: every acknowledged request of every terminal, in order
    TerminalCycle first_;
    std::vector<std::unique_ptr<Other>> others_;
    bool reconciled_ = false;
};

}  // namespace kv
