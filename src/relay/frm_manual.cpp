#include "relay/frm_manual.h"

namespace kv {

FrmManual::FrmManual(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module)
    : Window(platform.windows, "FrmManual", "FrmManual"),
      stateFiles(platform),
      platform_(platform),
      main_(main),
      module_(module) {}

void FrmManual::rebuildKnownOrders() {
    startupLoadPending_ = true;
    rebuildDue_ = true;
    startupOrderLog_ = {};
}

}  // namespace kv
