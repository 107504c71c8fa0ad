// Any login reply, address and password: a refusal says so once, a system list is a faithful
// reading of the reply, and no typed character changes the query string.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "account/frm_login.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/text_values.h"
#include "fuzz_support.h"
#include "platform/text_file.h"
#include "support/machine.h"

namespace {

using fuzz::require;

// False when the piece holds a character that would change the query, or a broken escape.
bool decodeQueryValue(std::string_view piece, std::string& value) {
    value.clear();
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const unsigned char c = piece[i];
        if (std::string_view("&=#+?").find(c) != std::string_view::npos || c <= 0x20 || c >= 0x7F) return false;
        if (c != '%') {
            value += c;
            continue;
        }
        const std::string hex(piece.substr(i + 1, 2));
        if (hex.size() < 2 || hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) return false;
        value += static_cast<char>(std::stoi(hex, nullptr, 16));
        i += 2;
    }
    return true;
}

void checkRequest(const std::string& url, const std::string& email, const std::string& password) {
    const std::string start = "http://localhost:8080/LoginCheckAction.do?email=";
    require(url.starts_with(start), "the login request starts with the host and the path");
    const auto middle = url.find("&password=", start.size());
    require(middle != std::string::npos, "the request has a password pair");
    std::string sentEmail, sentPassword;
    require(decodeQueryValue(std::string_view(url).substr(start.size(), middle - start.size()), sentEmail),
            "the e-mail address cannot change the query string");
    require(decodeQueryValue(std::string_view(url).substr(middle + 10), sentPassword),
            "the password cannot change the query string");
    require(sentEmail == kv::trimSpaces(email), "the trimmed e-mail address is sent exactly");
    require(sentPassword == password, "the password is sent exactly as typed");
}

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

    require(m.hp.service.requests.size() == 1, "one login sends one request");
    checkRequest(m.hp.service.requests[0], email, password);

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
