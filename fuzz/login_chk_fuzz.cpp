// Any Data\LoginChk.dat: its entries split into kind, value and text pieces
// in order, the Login command fills the dialog from the first login entry,
// and a login puts its entry in place of that one and writes back the rest
// exactly as read.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "account/frm_login.h"
#include "account/store/remembered_login.h"
#include "support/machine.h"
#include "fuzz_support.h"
#include "platform/text_file.h"
#include "shell/base/frm_main_mdi.h"
#include "shell/base/text_values.h"

namespace {

using Fields = fuzz::LoginChkFields;
using fuzz::require;

// Index of the first login entry, judging short entries by the fields the
// split before them left behind, as the program does.
std::size_t firstLoginEntry(const std::vector<std::string>& entries, Fields& fields) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        fuzz::splitLoginChkEntry(entries[i], fields);
        if (fields.kind == "1") return i;
    }
    return entries.size();
}

// The selection window opened by the login walks the list for this user's
// system entry (user 7: an entry of kind 2 whose text ends in 7) first.
void walkForSystemEntry(const std::vector<std::string>& entries, Fields& fields) {
    for (const auto& entry : entries) {
        fuzz::splitLoginChkEntry(entry, fields);
        if (fields.kind == "2" && fields.text.ends_with("7")) return;
    }
}

void checkSplit(kv::RememberedLogin& remembered, const std::string& entry) {
    Fields before{remembered.chkKind, remembered.chkValue, remembered.chkText};
    remembered.SplitLoginChkEntry(entry);
    fuzz::splitLoginChkEntry(entry, before);
    require(remembered.chkKind == before.kind && remembered.chkValue == before.value &&
                remembered.chkText == before.text,
            "an entry splits into kind, value and the rest");
    if (entry.size() > 1 && std::count(entry.begin(), entry.end(), ';') >= 2)
        require(remembered.chkKind + ";" + remembered.chkValue + ";" + remembered.chkText == entry,
                "the three fields make the entry again");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    kvtest::Machine m;
    m.hp.writeFile("Data/LoginChk.dat", file);
    m.hp.service.answer = [](const std::string&) { return std::string("7;12;Alpha;13;Beta"); };
    m.start();

    std::vector<std::string> entries;
    for (auto& line : kv::platform::splitLines(file, m.hp.files))
        if (!line.empty()) entries.push_back(std::move(line));

    kv::RememberedLogin standalone(m.hp.platform(), m.program().values());
    for (const auto& entry : entries) checkSplit(standalone, entry);

    m.pick("mnuFlSi");
    require(m.program().values().ceklist == entries, "the list holds every non-empty line in file order");
    Fields fields;
    const std::size_t login = firstLoginEntry(entries, fields);
    const auto& txtUser = m.hp.windows.onScreen("frmLogin").control("txtUser");
    const auto& chklogin = m.hp.windows.onScreen("frmLogin").control("chklogin");
    if (login == entries.size()) {
        require(txtUser.text == " " && chklogin.value == 0, "without a login entry the dialog keeps its values");
    } else {
        require(txtUser.text == fields.text && chklogin.value == kv::checkValue(fields.value),
                "the first login entry fills the dialog");
    }

    // Several systems: the list is kept, so the rest of the file is written back.
    m.hp.windows.type("frmLogin", "txtUser", "trader@example.com");
    m.hp.windows.tick("frmLogin", "chklogin", 1);
    m.hp.windows.click("frmLogin", "cmdLogin");
    require(m.hp.messages.shown.empty(), "the login succeeds without a message");
    std::vector<std::string> expected = entries;
    walkForSystemEntry(entries, fields);
    const std::size_t replaced = firstLoginEntry(entries, fields);
    if (replaced < expected.size()) expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(replaced));
    expected.push_back("1;1;trader@example.com");
    require(m.program().values().ceklist == expected, "the login entry replaces the first one and goes last");
    const std::string written = m.hp.readFile("Data/LoginChk.dat");
    if (!fuzz::startsWithByteOrderMark(written))
        require(kv::platform::splitLines(written, m.hp.files) == expected,
                "the file holds the list, entry for entry");
    return 0;
}
