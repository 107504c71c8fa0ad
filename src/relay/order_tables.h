#pragma once
#include <string>
#include <vector>

#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "platform/platform.h"
#include "relay/order_log.h"
#include "relay/state_files.h"
#include "common/terminal_site.h"

namespace kv {

// The engine's tables of one terminal and the files behind them. The
// start-up load (once per login date the known-order record is rebuilt)
// runs when the terminal starts to be relayed.
class OrderTables {
public:
    OrderTables(const platform::Platform& platform, const FrmMainMdi& main, const ProsesWriteMO& module,
                const TerminalSite& site, Notices& notices);
    virtual ~OrderTables() = default;

    // Loads the tables (the start-up load) when they are not loaded; true when it just did.
    virtual bool ensureLoaded();

    std::vector<std::string> systemlist;  // order lines of this cycle
    std::vector<std::string> manuallist;  // known-order records
    std::vector<std::string> Closelist;   // closed-order journal lines of this cycle

    StateFiles stateFiles;  // the files behind the tables, with writes still waiting

    // The whole lines of the order log; the start-up load and the poll cycle
    // share what is held back.
    std::vector<std::string> orderLogLines(const std::string& bytes);
    bool holdingBackOrderLine() const { return orderLog_.holdingBack(); }
    void forgetHeldBackLine() { orderLog_ = {}; }

    // Empties the tables and starts the start-up load.
    void startLoad();
    // A start-up load that could not read its files is finished by a later
    // poll cycle; until then the tables are not ready for change detection.
    bool finishStartupLoad();
    // The files folder moved: its known orders are rebuilt as at a new login date.
    void rebuildKnownOrders();

private:
    platform::Platform platform_;
    const FrmMainMdi& main_;
    const ProsesWriteMO& module_;
    const TerminalSite& site_;
    bool startupLoadPending_ = false;
    bool rebuildDue_ = false;      // rebuild even if it was done for this login date
    bool loaded_ = false;
    OrderLogLines orderLog_;
};

}  // namespace kv
