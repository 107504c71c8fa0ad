#include "systems/frm_sys.h"

#include <algorithm>

#include "common/optional_file.h"
#include "common/text_values.h"

namespace kv {

using platform::ControlKind;

SystemLine splitSystemLine(const std::string& line) {
    auto p = line.find(';');
    if (p == std::string::npos) return {line, {}};
    return {line.substr(0, p), line.substr(p + 1)};
}

std::string systemIdOf(const std::string& item) { return item.substr(0, item.find(' ')); }

FrmSys::FrmSys(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
               RememberedLogin& remembered, RelaySwitch& relay)
    : Window(platform.windows, "FrmSys", " Trade System Selection"),
      platform_(platform),
      main_(main),
      module_(module),
      remembered_(remembered),
      relay_(relay) {}

void FrmSys::createControls() {
    addControl("LblSys", ControlKind::Label, "System");
    addControl("cmbsystem", ControlKind::ComboBox);
    addControl("chksys", ControlKind::CheckBox, "Remember this system");
    addControl("CmdProcced", ControlKind::Button, "Proceed");
}

// A one-character id is the last character of the entry, as entries have
// always been read. A longer id must stand whole at the end, behind one of the
// systems now offered, so that the users 5 and 15 are told apart.
bool FrmSys::isEntryOfUser(const std::string& userText) {
    const std::string& rest = remembered_.chkText;
    if (remembered_.chkKind != "2" || !rest.ends_with(userText)) return false;
    if (userText.size() == 1) return true;
    const auto& items = form().control("cmbsystem").items;
    std::string system = rest.substr(0, rest.size() - userText.size());
    return std::find(items.begin(), items.end(), system) != items.end();
}

void FrmSys::onLoad() {
    centre();
    auto& cmbsystem = control("cmbsystem");
    auto& chksys = control("chksys");
    cmbsystem.items = offered();
    const std::string firstItem = cmbsystem.items.empty() ? std::string() : cmbsystem.items.front();

    const std::string userText = numberText(module_.userId);
    bool found = false;
    for (const auto& entry : main_.ceklist) {
        remembered_.SplitLoginChkEntry(entry);
        if (isEntryOfUser(userText)) {
            cmbsystem.text = remembered_.chkText.substr(0, remembered_.chkText.size() - userText.size());
            chksys.value = checkValue(remembered_.chkValue);
            found = std::find(cmbsystem.items.begin(), cmbsystem.items.end(), cmbsystem.text) != cmbsystem.items.end();
            break;
        }
    }
    if (!found || chksys.value == 0) {
        cmbsystem.text = firstItem;
        chksys.value = 0;
    }
}

// Only what the service listed at this login: not a line the file holds besides.
std::vector<std::string> FrmSys::offered() const {
    std::vector<std::string> items;
    for (const auto& line : readOptionalLines(platform_, platform_.dataFile("TempSyst.dat"))) {
        if (std::find(listed_.begin(), listed_.end(), line) == listed_.end()) continue;
        SystemLine system = splitSystemLine(line);
        items.push_back(system.sysLineId + " " + system.sysLineName);
    }
    return items;
}

void FrmSys::onButton(const std::string& name) {
    if (name == "CmdProcced") proceed();
}

// Every item holds a blank after its id; a text that is none of them is refused.
void FrmSys::proceed() {
    const auto& cmbsystem = control("cmbsystem");
    const std::string& shown = cmbsystem.text;
    if (std::find(cmbsystem.items.begin(), cmbsystem.items.end(), shown) == cmbsystem.items.end()) {
        platform_.messages.showModal("Please choose one of your trade systems from the list, then press Proceed.",
                                platform::MessageIcon::Error);
        return;
    }
    relay_.startUnder(systemIdOf(shown));
    unload();
}

void FrmSys::onUnload() {
    const std::string userText = numberText(module_.userId);
    const std::string entry = "2;" + std::to_string(control("chksys").value) + ";" + control("cmbsystem").text + userText;
    auto& list = main_.ceklist;
    // Only the first entry of this user is replaced; the new one goes to the end.
    for (auto it = list.begin(); it != list.end(); ++it) {
        remembered_.SplitLoginChkEntry(*it);
        if (isEntryOfUser(userText)) {
            list.erase(it);
            break;
        }
    }
    list.push_back(entry);
    remembered_.store();
    list.clear();
}

}  // namespace kv
