// Any login reply, address and password: a refusal says so once, and a system list is a faithful
// reading of the reply.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "account/frm_login.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "fuzz_support.h"
#include "platform/text_file.h"
#include "support/machine.h"

namespace {

using fuzz::require;

// What follows the user id: "id;name" pairs joined by ";" as they stood,
// then at most a ";" and an id that had no ";" after it.
void checkSystems(const std::string& afterUserId, const std::vector<std::string>& lines) {
    std::string joined;
    for (const auto& line : lines) {
        require(line.find(';') != std::string::npos, "every system line holds a ';'");
        if (!joined.empty()) joined += ';';
        joined += line;
    }
    require(afterUserId.starts_with(joined), "the system lines are the reply in its order");
    std::string_view left = std::string_view(afterUserId).substr(joined.size());
    if (!lines.empty() && !left.empty()) {
        require(left.front() == ';', "pairs are separated by ';'");
        left.remove_prefix(1);
    }
    require(left.find(';') == std::string_view::npos, "only an id without a ';' after it is left over");
}

}  // namespace

// Input: the lengths of address and password (a byte each), the two, then the reply.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto take = [&input](std::size_t n) {
        std::string part(input.substr(0, n));
        input.remove_prefix(std::min(n, input.size()));
        return part;
    };
    const std::size_t emailLength = input.empty() ? 0 : static_cast<unsigned char>(take(1)[0]) % 48;
    const std::size_t passwordLength = input.empty() ? 0 : static_cast<unsigned char>(take(1)[0]) % 48;
    const std::string email = take(emailLength), password = take(passwordLength), reply(input);

    kvtest::Machine m;
    m.hp.service.answer = [&reply](const std::string&) { return reply; };
    m.start();
    m.logIn(email, password);

    // How the address and the password travel: Login.AddressTrimmedAndBothValuesEncodedOnlyWhereNeeded.
    require(m.hp.service.requests.size() == 1, "one login sends one request");

    kv::Program& p = m.program();
    const auto& shown = m.hp.messages.shown;
    const bool refused = p.module().userId == 0;
    if (reply.find(';') == std::string::npos) require(refused, "a reply without ';' is refused");
    if (refused) {
        require(shown.size() == 1 && shown[0].text == "Login Error", "a refused login says so once");
        require(m.hp.windows.isVisible("frmLogin") && !m.hp.exists("Data/TempSyst.dat") && !m.hp.exists("Data/LoginChk.dat"),
                "a refused login keeps the dialog and writes nothing");
        require(p.values().swlogin == 0, "a refused login is not logged in");
        return 0;
    }
    const std::string afterUserId = reply.substr(reply.find(';') + 1);
    if (!shown.empty()) {
        require(shown.size() == 1 &&
                    shown[0].text == "No Trade System Exist, please login to the website and create one",
                "the only other message is that there is no trade system");
        require(m.hp.windows.isVisible("frmLogin") && !m.hp.exists("Data/TempSyst.dat"), "no system: the dialog stays");
        return 0;
    }
    require(!m.hp.windows.isVisible("frmLogin") && m.hp.exists("Data/TempSyst.dat"), "an accepted login closes the dialog");
    const std::string tempSyst = m.hp.readFile("Data/TempSyst.dat");
    const auto lines = kv::platform::splitLines(tempSyst, m.hp.text);
    if (reply.find('\r') == std::string::npos && !fuzz::startsWithByteOrderMark(tempSyst)) {
        checkSystems(afterUserId, lines);
        require(static_cast<int>(lines.size()) == p.login().cntsys, "cntsys counts the lines written");
    }
    const int systems = p.login().cntsys;
    require(p.values().swlogin == (systems == 1 ? 1 : 0) && p.mytimer().enabled() == (systems == 1),
            "only a single system starts the relay at once");
    require(m.hp.windows.isVisible("FrmSys") == (systems >= 2), "several systems open the selection");
    if (systems == 1)
        require(p.module().systemId == afterUserId.substr(0, afterUserId.find(';')),
                "the one system's id is the field after the user id");
    return 0;
}
