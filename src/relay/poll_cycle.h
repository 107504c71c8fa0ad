#pragma once
#include "platform/platform.h"
#include "relay/frm_manual.h"
#include "relay/proses_write_mo.h"
#include "shell/frm_main_mdi.h"

namespace kv {

// One tick of the poll timer: read the order logs, detect and report changes,
// save the tables.
class PollCycle {
public:
    PollCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, FrmManual& manual);

    void tick();

private:
    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    FrmManual& manual_;
};

}  // namespace kv
