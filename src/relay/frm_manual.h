#pragma once
#include <string>
#include <vector>

#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/window.h"
#include "platform/platform.h"
#include "relay/order_log.h"
#include "relay/state_files.h"

namespace kv {

// The hidden holder of the engine's tables. Its load is the start-up load of
// the order tables (once per login date the known-order record is rebuilt).
class FrmManual : public Window {
public:
    FrmManual(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, Notices& notices);

    std::vector<std::string> systemlist;  // order lines of this cycle
    std::vector<std::string> manuallist;  // known-order records
    std::vector<std::string> Closelist;   // closed-order journal lines of this cycle

    StateFiles stateFiles;  // the files behind the tables, with writes still waiting

    // The whole lines of the order log; the start-up load and the poll cycle
    // share what is held back.
    std::vector<std::string> orderLogLines(const std::string& bytes);
    bool holdingBackOrderLine() const { return orderLog_.holdingBack(); }
    void forgetHeldBackLine() { orderLog_ = {}; }

    // A start-up load that could not read its files is finished by a later
    // poll cycle; until then the tables are not ready for change detection.
    bool finishStartupLoad();
    // The files folder moved: its known orders are rebuilt as at a new login date.
    void rebuildKnownOrders();

protected:
    void onLoad() override;

private:
    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    bool startupLoadPending_ = false;
    bool rebuildDue_ = false;  // rebuild even if it was done for this login date
    OrderLogLines orderLog_;
};

}  // namespace kv
