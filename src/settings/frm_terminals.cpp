#include "settings/frm_terminals.h"

#include <algorithm>

#include "platform/utf8_text.h"
#include "settings/expert_line.h"
#include "settings/folders/comparable_folder.h"
#include "settings/terminal_choice.h"

namespace kv {

using platform::ControlKind;
using platform::MessageIcon;

namespace {

constexpr const char* kGap = "   ";

std::string row(MetaTrader kind, const std::string& folder, const std::string& rest) {
    return shortTerminalName(kind) + std::string(kGap) + folder + (rest.empty() ? "" : kGap + rest);
}

}  // namespace

FrmTerminals::FrmTerminals(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                           FrmSys& systems, RelaySwitch& relay, ExpertPlacement& expert)
    : Window(platform.windows, "FrmTerminals", " Terminals"),
      platform_(platform),
      main_(main),
      module_(module),
      systems_(systems),
      relay_(relay),
      expert_(expert),
      file_(platform),
      statusLook_(platform.timers.create([this] { showStatus(); })) {}

void FrmTerminals::createControls() {
    addControl("LblRelayed", ControlKind::Label, "Relayed terminals (the first one is set in the Setting window)");
    addControl("lstRelayed", ControlKind::ListBox);
    addControl("LblSystem", ControlKind::Label, "Trade system");
    addControl("cmbTermSystem", ControlKind::ComboBox);
    addControl("cmdRemove", ControlKind::Button, "Remove");
    addControl("LblStatus", ControlKind::Label);
    addControl("LblFound", ControlKind::Label, "Terminals found on this PC: tick the ones to relay and press Add");
    addControl("lstFound", ControlKind::ListBox);
    addControl("cmdAdd", ControlKind::Button, "Add");
    addControl("cmdBrowse", ControlKind::Button, "Browse...");
    addControl("cmdClose", ControlKind::Button, "Close");
    // These show paths in full, whatever the trader's script.
    for (const char* name : {"lstRelayed", "LblStatus", "lstFound"})
        form().control(name).form = platform::TextForm::Utf8;
}

void FrmTerminals::onLoad() {
    centre();
    control("lstRelayed").selected = {0};
    showFound();
    showRelayed();
    statusLook_->setInterval(1000);
    statusLook_->setEnabled(true);
}

void FrmTerminals::onUnload() { statusLook_->setEnabled(false); }

void FrmTerminals::onButton(const std::string& name) {
    if (name == "cmdAdd") addFound();
    if (name == "cmdBrowse") browse();
    if (name == "cmdRemove") remove();
    if (name == "cmdClose") unload();
}

void FrmTerminals::onPick(const std::string& name) {
    if (name == "lstRelayed") showRelayed();  // also shows the systems of a login since the last change
    if (name == "cmbTermSystem") mapSystem();
}

// Row 0 is the first terminal, row 1 the first of the others, as the relay counts them.
std::size_t FrmTerminals::selectedRow() {
    const auto& selected = control("lstRelayed").selected;
    return selected.empty() ? 0 : std::min(selected.front(), main_.otherTerminals.size());
}

// A system is named as the service listed it; one it did not list at this login is told as such.
std::string FrmTerminals::systemText(const std::string& systemId, bool first) const {
    if (systemId.empty()) return first ? "trade system chosen at login" : "no trade system yet";
    for (const auto& item : offered_)
        if (systemIdOf(item) == systemId)
            return "system " + platform::utf8FromUtf16(platform_.text.utf16FromCodePage(item));
    return "system " + systemId + (offered_.empty() ? "" : ", not listed at this login");
}

// The relayed rows name each system as this login listed it.
void FrmTerminals::showRelayed() {
    offered_ = systems_.offered();
    auto& relayed = control("lstRelayed").items;
    relayed = {main_.pathname.empty() ? "No first terminal yet: choose it in the Setting window"
                                      : row(main_.terminal, main_.pathname, systemText(module_.systemId, true))};
    for (const auto& terminal : main_.otherTerminals)
        relayed.push_back(row(terminal.kind, terminal.folder, systemText(terminal.systemId, false)));
    showSelected();
}

void FrmTerminals::showFound() {
    TerminalFilesFolder folders(platform_.files, platform_.text, platform_.clock);
    found_.clear();
    auto& found = control("lstFound");
    found.items.clear();
    found.selected.clear();
    for (auto& terminal : installedTerminals(platform_.files, platform_.text, folders)) {
        if (isRelayed(terminal.folder)) continue;
        const std::string account = terminal.account.empty() ? "" : "account " + terminal.account;
        found.items.push_back(row(terminal.kind, terminal.folder, account));
        found_.push_back(std::move(terminal));
    }
}

bool FrmTerminals::isRelayed(const std::string& folder) const {
    const auto comparable = comparableFolder(folder, platform_.text);
    const auto same = [&](const std::string& other) { return comparableFolder(other, platform_.text) == comparable; };
    return same(main_.pathname) || std::any_of(main_.otherTerminals.begin(), main_.otherTerminals.end(),
                                               [&](const OtherTerminal& other) { return same(other.folder); });
}

// The first terminal's system is only shown: it is the one chosen at login.
void FrmTerminals::showSelected() {
    const std::size_t at = selectedRow();
    control("lstRelayed").selected = {at};
    auto& system = control("cmbTermSystem");
    const std::string& id = at == 0 ? module_.systemId : main_.otherTerminals[at - 1].systemId;
    const auto shown =
        std::find_if(offered_.begin(), offered_.end(), [&](const auto& item) { return systemIdOf(item) == id; });
    system.text = shown == offered_.end() ? id : *shown;
    system.items = at > 0 ? offered_ : std::vector<std::string>{system.text};
    control("LblSystem").text = at == 0 ? "Trade system (chosen at login)" : "Trade system";
    showStatus();
}

// The first terminal is told as the Setting window tells it; for the others the
// relay's own words follow their files folder.
void FrmTerminals::showStatus() {
    if (!loaded()) return;  // discarded at Exit
    const std::size_t at = selectedRow();
    TerminalFilesFolder folders(platform_.files, platform_.text, platform_.clock);
    std::string status;
    if (at == 0) {
        status = main_.pathname.empty() ? std::string(kChooseTerminal) + " in the Setting window."
                                        : folders.describe(main_.pathname, main_.terminal) + "\r\n" +
                                              placementLine(expert_.result(), platform_);
    } else {
        const OtherTerminal& terminal = main_.otherTerminals[at - 1];
        status = folders.describe(terminal.folder, terminal.kind) + "\r\n" +
                 placementLine(relay_.expert(at).result(), platform_, PlacementShown::InTerminals) + "\r\n" +
                 relay_.describe(at);
    }
    control("LblStatus").text = status;
    refresh();
}

void FrmTerminals::addFound() {
    const auto ticked = control("lstFound").selected;
    if (ticked.empty()) {
        platform_.messages.showModal("Tick the terminals to relay in the list of terminals found on this PC, then "
                                     "press Add. Browse adds a terminal that is not listed.",
                                     MessageIcon::Information);
        return;
    }
    for (std::size_t index : ticked)
        if (index < found_.size()) add(found_[index].folder, found_[index].kind);
    changed(main_.otherTerminals.size());
}

void FrmTerminals::browse() {
    const auto chosen = platform_.fileDialog.choose(kChooseTerminal, "");
    if (!chosen) return;
    const auto terminal = chosenTerminal(*chosen, platform_.messages);
    if (terminal && add(terminal->folder, terminal->kind)) changed(main_.otherTerminals.size());
}

// A terminal is relayed once: the first terminal's folder, or one already added, is not added again.
bool FrmTerminals::add(const std::string& folder, MetaTrader kind) {
    if (isRelayed(folder)) {
        platform_.messages.showModal("The terminal in " + folder + " is relayed already.", MessageIcon::Information);
        return false;
    }
    TerminalFilesFolder folders(platform_.files, platform_.text, platform_.clock);
    main_.otherTerminals.push_back({folder, kind, folders.choose(folder, kind), module_.systemId});
    return true;
}

void FrmTerminals::remove() {
    const std::size_t at = selectedRow();
    if (at == 0) {
        platform_.messages.showModal("The first terminal is changed in the Setting window. Remove stops relaying "
                                     "one of the others; its files stay.",
                                     MessageIcon::Information);
        return;
    }
    main_.otherTerminals.erase(main_.otherTerminals.begin() + static_cast<std::ptrdiff_t>(at - 1));
    changed(at - 1);
}

void FrmTerminals::mapSystem() {
    const std::size_t at = selectedRow();
    const std::string id = systemIdOf(control("cmbTermSystem").text);
    if (at == 0 || id.empty() || id == main_.otherTerminals[at - 1].systemId) {
        showSelected();  // the first terminal's system stays as it was chosen at login
        return;
    }
    main_.otherTerminals[at - 1].systemId = id;
    changed(at);
}

// Saved, handed to the relay, and shown with the row `select` selected.
void FrmTerminals::changed(std::size_t select) {
    file_.save(main_);
    relay_.terminalsChanged();
    control("lstRelayed").selected = {select};
    showFound();
    showRelayed();
}

}  // namespace kv
