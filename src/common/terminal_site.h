#pragma once
#include <cstddef>
#include <string>

#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "platform/platform.h"

namespace kv {

// One relayed terminal as the engine sees it: the first one (pathname,
// pathname1, and the trade system chosen at login) or one of the others
// (FrmMainMdi::otherTerminals, each with its own trade system), found by its
// place in the list, which only RelayedTerminals moves.
class TerminalSite {
public:
    TerminalSite(FrmMainMdi& main, const ProsesWriteMO& module, std::size_t index, std::string key)
        : main_(main), module_(module), index_(index), key_(std::move(key)) {}

    std::size_t index() const { return index_; }
    void moveTo(std::size_t index) { index_ = index; }
    bool first() const { return index_ == 0; }
    // What tells the terminal's own Data files apart: empty for the first.
    const std::string& key() const { return key_; }

    const std::string& folder() const;
    MetaTrader kind() const;
    std::string& filesFolder();
    const std::string& filesFolder() const;
    // The trade system its orders go to: the login's for the first, its own for the others.
    const std::string& systemId() const;
    // How messages and the tray name it when several terminals are relayed.
    std::string label() const;

    std::string systemOrderLogPath() const;  // written by our expert, only read here
    std::string manualOrderLogPath() const;  // the orders already reported and still open
    std::string closedJournalPath(const platform::Platform& platform) const;  // Data\TempClose.dat for the first
    std::string startupStampPath(const platform::Platform& platform) const;   // Data\TempInit.dat for the first

private:
    FrmMainMdi& main_;
    const ProsesWriteMO& module_;
    std::size_t index_;
    std::string key_;
};

// The key of another terminal's own Data files: its folder, as two folders
// compare, and its kind, as eight hex digits.
std::string terminalKey(platform::SystemText& system, const std::string& folder, MetaTrader kind);

// A terminal's record of the orders reported: its known orders in its files
// folder, and its closed-order journal in Data, by its key.
std::string knownOrdersIn(const std::string& filesFolder);
std::string closedJournalOf(const platform::Platform& platform, const std::string& key);

std::string activeLogPath(const platform::Platform& platform);  // Data\Active.log, one for every terminal

}  // namespace kv
