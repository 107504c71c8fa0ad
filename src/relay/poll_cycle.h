#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "common/notices.h"
#include "common/proses_write_mo.h"
#include "platform/platform.h"
#include "relay/files_folder_follower.h"
#include "relay/first_order_log.h"
#include "relay/frm_manual.h"
#include "relay/known_orders.h"

namespace kv {

// One tick of the poll timer: read the order logs, detect and report changes,
// save the tables.
class PollCycle {
public:
    PollCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmManual& manual,
              Notices& notices, const ExpertPlacement& expert);

    void tick();
    bool running() const { return running_; }
    // The last cycle ran out of time for requests and left events to send.
    bool leftEventsPending() const { return leftPending_; }

private:
    // The bytes one cycle works from; a missing state file has none.
    struct CycleInputs {
        std::string folder;
        std::optional<std::string> known, journal;
        std::string orders;
    };

    void runCycle();
    bool stillQuiet(const CycleInputs& inputs) const;
    // The reading step, first as bytes: false when change detection must not
    // run (no order log, or a file that cannot be read).
    bool readOrderLogs(CycleInputs& inputs);
    bool readStateFile(const std::string& path, std::optional<std::string>& bytes);
    bool readOrderLog(std::string& bytes);
    void tellMissingOrderLog();
    // Then as tables.
    void fillTables(const CycleInputs& inputs);
    // Saves the known orders and the closed-order journal, then empties
    // Closelist. The bytes read this cycle spare a write of the same content.
    // True when neither file needed writing.
    bool saveOrderTables(KnownOrders& known, const CycleInputs& inputs);
    void takeOrderLines(const std::string& bytes, const KnownOrders& known);
    // pathname1 moved to where the expert writes now: nothing remembered of the old folder counts.
    void startAfresh();

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    FrmManual& manual_;
    Notices& notices_;
    FileWriter activeLog_;
    FilesFolderFollower folders_;
    FirstOrderLog firstLog_;
    bool running_ = false;  // a tick that comes while a cycle runs is skipped
    bool leftPending_ = false;
    // The inputs of the last cycle if it sent nothing and wrote nothing: the
    // same deciding bytes again would give the same nothing, so they need no
    // new look. The tables then stay as that cycle left them.
    std::optional<CycleInputs> quiet_;
};

}  // namespace kv
