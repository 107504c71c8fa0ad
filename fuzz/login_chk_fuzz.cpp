// Any Data\LoginChk.dat: the dialog is filled from the first login entry, and a
// login replaces that entry and writes the rest back exactly as read.
#include <cstdint>
#include <string>
#include <vector>

#include "account/frm_login.h"
#include "account/store/remembered_login.h"
#include "common/frm_main_mdi.h"
#include "common/text_values.h"
#include "fuzz_support.h"
#include "platform/text_file.h"
#include "support/machine.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
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
    return 0;
}
