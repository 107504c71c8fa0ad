#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "common/notices.h"
#include "common/proses_write_mo.h"
#include "common/terminal_site.h"
#include "platform/platform.h"
#include "relay/files_folder_follower.h"
#include "relay/first_order_log.h"
#include "relay/known_orders.h"
#include "relay/order_tables.h"

namespace kv {

class RelayedTerminals;

// One terminal's poll cycle: read its order logs, detect and report its
// changes under its trade system, save its tables. A fault here (a missing
// log, a file that cannot be read) ends this terminal's cycle only.
class TerminalCycle {
public:
    TerminalCycle(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, TerminalSite& site,
                  OrderTables& tables, Notices& notices, const ExpertPlacement& expert, FileWriter& activeLog);

    // Requests stop at the deadline (the steady clock's milliseconds).
    // The other terminals are asked who relays an account that several show.
    void run(std::uint64_t deadline, const RelayedTerminals& terminals);
    // The last cycle ran out of time for requests and left events to send.
    bool leftEventsPending() const { return leftPending_; }
    // It relays its own events: its order log was read and nothing holds it back.
    bool relaying() const;
    // It has looked for its order log at least once.
    bool looked() const { return looked_; }
    // When its order log last changed (the steady clock's milliseconds).
    std::uint64_t lastLogChange() const { return lastLogChange_; }
    // The account its log shows, read now if no cycle has read it yet.
    std::string accountShown() const;
    // Its record of the orders reported (known orders, then closed-order journal), as last meant.
    bool readRecord(std::string& known, std::string& journal) const;
    // Another terminal relays this one's account: its record is taken up when this one relays it.
    void rememberHolder(const std::string& filesFolder, const std::string& key);

    TerminalSite& site() { return site_; }
    const TerminalSite& site() const { return site_; }
    TerminalFacts& facts() const;

private:
    // The bytes one cycle works from; a missing state file has none.
    struct CycleInputs {
        std::string folder;
        std::optional<std::string> known, journal;
        std::string orders;
    };

    bool stillQuiet(const CycleInputs& inputs) const;
    // The reading step, first as bytes: false when change detection must not
    // run (no order log, or a file that cannot be read).
    bool readOrderLogs(CycleInputs& inputs);
    bool readStateFile(const std::string& path, std::optional<std::string>& bytes);
    bool readOrderLog(std::string& bytes);
    void tellMissingOrderLog();
    // Whether its events may go out now: its trade system is one this login
    // lists, and no earlier terminal relays its account to the same system.
    bool mayReport(const std::string& orders, const RelayedTerminals& terminals);
    // Starting to relay an account another terminal showed too: its newest
    // record of what was reported becomes this one's. True when it did.
    bool takeNewestRecord(const RelayedTerminals& terminals);
    void tell(const std::string& fault, bool lasting, const std::string& text);
    std::string named(const std::string& text) const;  // with the terminal's label when several are relayed
    // Then as tables.
    void fillTables(const CycleInputs& inputs);
    // Saves the known orders and the closed-order journal, then empties
    // Closelist. The bytes read this cycle spare a write of the same content.
    // True when neither file needed writing.
    bool saveOrderTables(KnownOrders& known, const CycleInputs& inputs);
    void takeOrderLines(const std::string& bytes, const KnownOrders& known);
    // The files folder moved to where the expert writes now: nothing remembered of the old folder counts.
    void startAfresh();

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    TerminalSite& site_;
    OrderTables& tables_;
    Notices& notices_;
    FileWriter& activeLog_;
    FilesFolderFollower folders_;
    FirstOrderLog firstLog_;
    bool leftPending_ = false;
    bool looked_ = false;
    std::uint64_t lastLogChange_ = 0;
    std::size_t logHash_ = 0;
    std::string relayedAccount_;  // the account its last relaying cycle reported
    // The record of the terminal that last relayed its account for it: taken up even after that terminal was removed.
    struct RecordPaths {
        std::string known, journal;
    };
    std::optional<RecordPaths> lastHolder_;
    // The inputs of the last cycle if it sent nothing and wrote nothing: the
    // same deciding bytes again would give the same nothing, so they need no
    // new look. The tables then stay as that cycle left them.
    std::optional<CycleInputs> quiet_;
};

}  // namespace kv
