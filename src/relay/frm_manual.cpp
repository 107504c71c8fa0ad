#include "relay/frm_manual.h"

#include <charconv>

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
    forgetHeldBackLine();
}

// An unfinished last line must keep its deciding fields for one poll interval.
std::vector<std::string> FrmManual::orderLogLines(const std::string& bytes) {
    std::uint64_t interval = 1000;
    const std::string& text = main_.TimerInterval;
    std::from_chars(text.data(), text.data() + text.size(), interval);
    return orderLog_.take(bytes, platform_.files, platform_.clock.steadyMilliseconds(), interval);
}

}  // namespace kv
