// The small files the program reads, one target: the first byte picks which one the rest is.
//   1: any Data\LoginChk.dat: the dialog is filled from the first login entry, and a login replaces
//      that entry and writes the rest back exactly as read.
//   2: any Data\Service.dat: the base URL is the built-in one or the file's first line, and a
//      refused line is told once.
//   0: any Data\TempSyst.dat and remembered entries, for any user, through the selection window:
//      its items, the shown system, Proceed, and the entry the close step stores. The login lists
//      every line with a ";", as a login that wrote the file does.
// The line reader, under every file and far quicker than these, has a target of its own.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "account/frm_login.h"
#include "account/store/remembered_login.h"
#include "common/frm_main_mdi.h"
#include "common/text_values.h"
#include "fuzz_support.h"
#include "platform/text_file.h"
#include "shell/service_host.h"
#include "support/machine.h"
#include "systems/frm_sys.h"

namespace {

using fuzz::require;

// Short entries keep the fields of the split before them, as in the program.
std::size_t firstLoginEntry(const std::vector<std::string>& entries, kv::RememberedLogin& split) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        split.SplitLoginChkEntry(entries[i]);
        if (split.chkKind == "1") return i;
    }
    return entries.size();
}

void loginChk(const std::string& file) {
    kvtest::Machine m;
    m.hp.writeFile("Data/LoginChk.dat", file);
    m.hp.service.answer = [](const std::string&) { return std::string("7;12;Alpha;13;Beta"); };
    m.start();

    std::vector<std::string> entries;
    for (auto& line : kv::platform::splitLines(file, m.hp.text))
        if (!line.empty()) entries.push_back(std::move(line));

    kv::FrmMainMdi scratch;

    m.pick("mnuFlSi");
    require(m.program().values().ceklist == entries, "the list holds every non-empty line in file order");
    kv::RememberedLogin model(m.hp.platform(), scratch);  // split as the Login command splits
    const std::size_t login = firstLoginEntry(entries, model);
    const auto& txtUser = m.hp.windows.onScreen("frmLogin").control("txtUser");
    const auto& chklogin = m.hp.windows.onScreen("frmLogin").control("chklogin");
    if (login == entries.size()) {
        require(txtUser.text.empty() && chklogin.value == 0, "without a login entry the address box stays empty");
    } else {
        require(txtUser.text == kv::trimSpaces(model.chkText) && chklogin.value == kv::checkValue(model.chkValue),
                "the first login entry fills the dialog, a blank address as an empty box");
    }

    // Several systems: the list is kept, so the rest of the file is written back.
    m.hp.windows.type("frmLogin", "txtUser", "trader@example.com");
    m.hp.windows.tick("frmLogin", "chklogin", 1);
    m.hp.windows.click("frmLogin", "cmdLogin");
    require(m.hp.messages.shown.empty(), "the login succeeds without a message");
    std::vector<std::string> expected = entries;
    // The selection window walks the list for user 7's system entry first.
    for (const auto& entry : entries) {
        model.SplitLoginChkEntry(entry);
        if (model.chkKind == "2" && model.chkText.ends_with("7")) break;
    }
    const std::size_t replaced = firstLoginEntry(entries, model);
    if (replaced < expected.size()) expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(replaced));
    expected.push_back("1;1;trader@example.com");
    require(m.program().values().ceklist == expected, "the login entry replaces the first one and goes last");
    const std::string written = m.hp.readFile("Data/LoginChk.dat");
    if (!fuzz::startsWithByteOrderMark(written))
        require(kv::platform::splitLines(written, m.hp.text) == expected,
                "the file holds the list, entry for entry");
}

// A scheme, then only what a host name and a port are made of.
bool isBaseUrl(std::string_view url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) return false;
    const std::string_view scheme = url.substr(0, schemeEnd), authority = url.substr(schemeEnd + 3);
    return (scheme == "http" || scheme == "https") && !authority.empty() &&
           authority.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:") ==
               std::string_view::npos;
}

void serviceDat(const std::string& file) {
    kv::platform::headless::HeadlessPlatform hp;
    hp.writeFile("Data/Service.dat", file);
    const std::string host = kv::serviceHost(hp.platform());

    const auto lines = kv::platform::splitLines(file, hp.text);
    const std::string first = lines.empty() ? std::string() : std::string(kv::trimSpaces(lines.front()));
    const std::string builtIn(kv::kBuiltInServiceHost);
    require(isBaseUrl(host), "every request path can follow the base URL");
    require(host == first || host == builtIn, "the base URL is the file's first line or the built-in one");
    const bool refused = !first.empty() && host != first;
    require(hp.messages.shown.size() == (refused ? 1u : 0u), "a refused line is told once, an accepted one never");
    if (refused)
        require(hp.messages.shown[0].text.find("Service.dat") != std::string::npos, "the message names the file");
}

// Whether a ticked entry of kind 2 is the shown system followed by the user id.
bool remembers(const std::vector<std::string>& entries, const std::string& shown, const std::string& user,
               kv::RememberedLogin& split) {
    for (const auto& entry : entries) {
        split.SplitLoginChkEntry(entry);
        if (split.chkKind == "2" && kv::checkValue(split.chkValue) != 0 && split.chkText == shown + user) return true;
    }
    return false;
}

void tempSyst(FuzzedDataProvider& input) {
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
    if (fuzz::startsWithByteOrderMark(file)) return;
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    FuzzedDataProvider provider(data + 1, size - 1);
    switch (data[0] % 3) {
        case 1: loginChk(rest); break;
        case 2: serviceDat(rest); break;
        default: tempSyst(provider); break;
    }
    return 0;
}
