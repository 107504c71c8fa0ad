#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "relay/frm_manual.h"
#include "relay/known_orders.h"
#include "relay/proses_write_mo.h"
#include "shell/file_writer.h"
#include "shell/frm_main_mdi.h"

namespace kv {

// One tick of the poll timer: read the order logs, detect and report changes,
// save the tables.
class PollCycle {
public:
    PollCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmManual& manual);

    void tick();

private:
    void runCycle();
    // The reading step: fills the three tables. Nothing when change detection
    // must not run this cycle (no order log, or a file that cannot be read).
    std::optional<KnownOrders> readOrderLogs();
    bool readStateTable(const std::string& path, std::vector<std::string>& table, bool (*keep)(const std::string&));
    bool readSystemOrders(const KnownOrders& known);

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    FrmManual& manual_;
    FileWriter activeLog_;
    bool running_ = false;  // a tick that comes while a cycle runs is skipped
};

}  // namespace kv
