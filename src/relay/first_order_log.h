#pragma once
#include <set>
#include <string>

#include "platform/file_system.h"
#include "common/terminal_site.h"
#include "settings/expert/expert_placement.h"

namespace kv {

// The trader's first day: the program has put its expert into the terminal,
// and he has not yet dragged it onto a chart, so no order log has been
// written in that files folder since. A missing log is then his next step,
// not a fault.
class FirstOrderLog {
public:
    FirstOrderLog(platform::FileSystem& files, const TerminalSite& site, const ExpertPlacement& expert)
        : files_(files), site_(site), expert_(expert) {}

    // The order log is missing from the files folder: whether it is still awaited there.
    bool awaited() const;
    // The order log was read in the files folder: from now on its absence is a fault.
    void seen() { seenIn_.insert(site_.filesFolder()); }

private:
    platform::FileSystem& files_;
    const TerminalSite& site_;
    const ExpertPlacement& expert_;
    std::set<std::string> seenIn_;  // files folders whose log this run has read
};

}  // namespace kv
