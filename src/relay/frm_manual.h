#pragma once
#include "common/window.h"
#include "relay/order_tables.h"

namespace kv {

// The hidden holder of the first terminal's order tables. Its load is their
// start-up load.
class FrmManual : public Window, public OrderTables {
public:
    FrmManual(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, const TerminalSite& site,
              Notices& notices)
        : Window(platform.windows, "FrmManual", "FrmManual"), OrderTables(platform, main, module, site, notices) {}

    // The window's first use loads it, and its load is the start-up load.
    bool ensureLoaded() override {
        const bool fresh = !loaded();
        use();
        return fresh;
    }

protected:
    void onLoad() override { startLoad(); }
};

}  // namespace kv
