#include "relay/relayed_terminals.h"
#include <algorithm>

#include "settings/folders/terminal_files_folder.h"

namespace kv {

struct RelayedTerminals::Other {
    Other(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, Notices& notices,
          FileWriter& activeLog, std::size_t index, std::string key)
        : site(main, module, index, std::move(key)),
          tables(platform, main, module, site, notices),
          expert(platform, site),
          cycle(platform, main, module, site, tables, notices, expert, activeLog) {}

    TerminalSite site;
    OtherTerminal listed;  // as the last reconcile found it: the list may have dropped it since
    OrderTables tables;
    ExpertPlacement expert;
    TerminalCycle cycle;
};

RelayedTerminals::RelayedTerminals(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                                   Notices& notices, TerminalSite& firstSite, FrmManual& firstTables,
                                   ExpertPlacement& firstExpert)
    : platform_(platform),
      main_(main),
      module_(module),
      notices_(notices),
      firstExpert_(firstExpert),
      activeLog_(platform, notices, "The order was reported to the service; only its line in this journal is missing."),
      first_(platform, main, module, firstSite, firstTables, notices, firstExpert, activeLog_) {}

RelayedTerminals::~RelayedTerminals() = default;

TerminalCycle& RelayedTerminals::cycle(std::size_t index) { return index == 0 ? first_ : others_[index - 1]->cycle; }
const TerminalCycle& RelayedTerminals::cycle(std::size_t index) const {
    return index == 0 ? first_ : others_[index - 1]->cycle;
}

const ExpertPlacement& RelayedTerminals::expert(std::size_t index) const {
    return index == 0 ? firstExpert_ : others_[index - 1]->expert;
}

void RelayedTerminals::reconcile() {
    // A terminal listed twice, or the first one listed again, is relayed once.
    auto& list = main_.otherTerminals;
    std::vector<std::string> keys;
    const std::string firstKey = terminalKey(platform_.text, main_.pathname, main_.terminal);
    for (auto entry = list.begin(); entry != list.end();) {
        const std::string key = terminalKey(platform_.text, entry->folder, entry->kind);
        const bool twice = key == firstKey || std::find(keys.begin(), keys.end(), key) != keys.end();
        if (!twice) keys.push_back(key);
        entry = twice ? list.erase(entry) : entry + 1;
    }

    std::vector<std::unique_ptr<Other>> kept;
    for (std::size_t i = 0; i < list.size(); ++i) {
        OtherTerminal& entry = list[i];
        if (entry.filesFolder.empty())
            entry.filesFolder = TerminalFilesFolder(platform_.files, platform_.text, platform_.clock).choose(entry.folder, entry.kind);
        auto it = std::find_if(others_.begin(), others_.end(), [&](const auto& o) { return o && o->site.key() == keys[i]; });
        if (it != others_.end()) {
            (*it)->site.moveTo(i + 1);
            kept.push_back(std::move(*it));
            continue;
        }
        kept.push_back(std::make_unique<Other>(platform_, main_, module_, notices_, activeLog_, i + 1, keys[i]));
        kept.back()->expert.place();
        // Added by the trader now, not listed before: its record starts afresh, as on a new login date.
        if (reconciled_) kept.back()->tables.rebuildKnownOrders();
    }
    for (const auto& gone : others_) {
        if (!gone) continue;
        handOver(*gone, kept);
        for (const char* fault : {"systemorder.log missing ", "trade system gone ", "same account "})
            notices_.withdraw(fault + gone->site.key());
        module_.relayFacts.terminals.erase(gone->site.key());
    }
    others_ = std::move(kept);
    for (const auto& other : others_) other->listed = main_.otherTerminals[other->site.index() - 1];
    reconciled_ = true;
}

// A terminal removed while it relayed an account that another shows to the
// same trade system: that one takes up its record when it relays the account.
void RelayedTerminals::handOver(const Other& gone, const std::vector<std::unique_ptr<Other>>& kept) {
    const TerminalFacts& facts = module_.relayFacts.terminals[gone.site.key()];
    if (!facts.relaying() || facts.account.empty()) return;
    const std::string& system = gone.listed.systemId.empty() ? module_.systemId : gone.listed.systemId;
    for (std::size_t i = 0; i <= kept.size(); ++i) {
        TerminalCycle& staying = i == 0 ? first_ : kept[i - 1]->cycle;
        if (staying.site().systemId() == system && staying.accountShown() == facts.account)
            staying.rememberHolder(gone.listed.filesFolder, gone.site.key());
    }
}

void RelayedTerminals::lookAgainAtExperts() {
    for (const auto& other : others_) other->expert.lookAgain();
}

std::string RelayedTerminals::describe(std::size_t index) const {
    const TerminalCycle& c = cycle(index);
    const TerminalFacts& f = c.facts();
    const std::string& id = c.site().systemId();
    const std::string system = "trade system " + id;
    if (main_.swlogin != 1)
        return id.empty() ? "Its orders go to the trade system you choose at the next login."
                          : "Its orders go to " + system + " once you log in.";
    if (f.systemGone) return "Waiting: its " + system + " is not one this login lists. Choose another.";
    if (!f.relayedThrough.empty())
        return "Waiting: it shows account " + f.account + ", which " + f.relayedThrough + " reports to the same " +
               system + ". Its orders are reported once, through " + f.relayedThrough + ".";
    if (f.expertNotStarted) return "Its orders go to " + system + " once KorvaneVantor runs on one of its charts.";
    if (f.orderLogMissing) return "Waiting: its order log systemorder.log is not there.";
    std::string line = "Its orders go to " + system;
    if (!f.account.empty()) line += " (account " + f.account + ")";
    if (f.waiting > 0) line += "; " + std::to_string(f.waiting) + " wait for the service";
    return line + ".";
}

}  // namespace kv
