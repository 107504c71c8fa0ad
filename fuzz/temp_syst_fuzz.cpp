// Any Data\TempSyst.dat and remembered entries, for any user, through the selection window:
// its items, the shown system, Proceed, and the entry the close step stores. The login lists
// every line with a ";", as a login that wrote the file does.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "account/store/remembered_login.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/text_values.h"
#include "fuzz_support.h"
#include "platform/text_file.h"
#include "support/machine.h"
#include "systems/frm_sys.h"

namespace {

using fuzz::require;

// Whether a ticked entry of kind 2 is the shown system followed by the user id.
bool remembers(const std::vector<std::string>& entries, const std::string& shown, const std::string& user,
               kv::RememberedLogin& split) {
    for (const auto& entry : entries) {
        split.SplitLoginChkEntry(entry);
        if (split.chkKind == "2" && kv::checkValue(split.chkValue) != 0 && split.chkText == shown + user) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int userId = input.ConsumeIntegralInRange<int>(-20, 2000);
    const std::string tempSyst = input.ConsumeRandomLengthString(4096);
    const std::string loginChk = input.ConsumeRandomLengthString(4096);

    kvtest::Machine m;
    m.hp.writeFile("Data/TempSyst.dat", tempSyst);
    m.start();
    kv::Program& p = m.program();
    for (auto& line : kv::platform::splitLines(loginChk, m.hp.text))
        if (!line.empty()) p.values().ceklist.push_back(std::move(line));
    const std::vector<std::string> entries = p.values().ceklist;
    p.module().userId = userId;
    const std::string user = kv::numberText(userId);
    kv::FrmMainMdi scratch;
    kv::RememberedLogin split(m.hp.platform(), scratch);

    std::vector<std::string> items, listed;
    for (const auto& line : kv::platform::splitLines(tempSyst, m.hp.text))
        if (const auto at = line.find(';'); at != std::string::npos) {
            items.push_back(line.substr(0, at) + " " + line.substr(at + 1));
            listed.push_back(line);
        }

    p.systems().offer(listed);
    p.systems().showModeless();
    const auto& window = m.hp.windows.onScreen("FrmSys");
    require(window.control("cmbsystem").items == items, "one item per line with ';', in file order");
    const std::string shown = window.control("cmbsystem").text;
    const int ticked = window.control("chksys").value;
    require(ticked == 0 || ticked == 1, "the remember box is ticked or not");
    if (ticked == 0)
        require(shown == (items.empty() ? std::string() : items.front()), "without a remembered system the first is shown");
    else
        require(remembers(entries, shown, user, split), "a ticked box shows a system this user remembered");

    m.hp.windows.click("FrmSys", "CmdProcced");
    const auto blank = shown.find(' ');
    if (std::find(items.begin(), items.end(), shown) == items.end()) {
        require(items.empty(), "the shown text is one of the items, when there are any");
        require(m.hp.messages.shown.size() == 1 && m.hp.windows.isVisible("FrmSys"), "an empty choice is refused once");
        require(p.values().swlogin == 0 && !p.mytimer().enabled(), "a refused Proceed starts nothing");
        m.hp.windows.closeBox("FrmSys");
    } else {
        require(m.hp.messages.shown.empty() && !m.hp.windows.isVisible("FrmSys"), "Proceed closes the window");
        require(p.module().systemId == shown.substr(0, blank), "the system id is the shown text up to its blank");
        require(p.values().swlogin == 1 && p.mytimer().enabled(), "Proceed starts the relay");
    }

    const std::string file = m.hp.readFile("Data/LoginChk.dat");
    if (fuzz::startsWithByteOrderMark(file)) return 0;
    const auto written = kv::platform::splitLines(file, m.hp.text);
    require(!written.empty() && written.back() == "2;" + std::to_string(ticked) + ";" + shown + user,
            "the close step stores this user's entry last");
    require(written.size() == entries.size() || written.size() == entries.size() + 1,
            "at most one older entry is replaced");
    std::size_t kept = 0;
    for (const auto& entry : entries)
        if (kept + 1 < written.size() && written[kept] == entry) ++kept;
    require(kept + 1 == written.size(), "the other entries stay in their order");
    require(p.values().ceklist.empty(), "the close step empties the list");
    return 0;
}
