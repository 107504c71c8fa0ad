#include "account/frm_login.h"

#include "account/percent_encoding.h"
#include "common/text_values.h"

namespace kv {

using platform::ControlKind;
using platform::MessageIcon;

FrmLogin::FrmLogin(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                   RememberedLogin& remembered, RelaySwitch& relay, FrmSys& systems)
    : Window(platform.windows, "frmLogin", "Korvane - Vantor Login"),
      platform_(platform),
      main_(main),
      module_(module),
      remembered_(remembered),
      relay_(relay),
      systems_(systems),
      systemsWriter_(platform, "The login was not completed; please try again.") {}

// In keyboard order, which follows the layout: the remember box stands beside txtUser.
void FrmLogin::createControls() {
    addControl("Label1", ControlKind::Label, "Email");
    addControl("txtUser", ControlKind::TextBox);
    addControl("chklogin", ControlKind::CheckBox, "Remember me");
    addControl("Label2", ControlKind::Label, "Password");
    addControl("txtPass", ControlKind::PasswordBox);
    addControl("cmdLogin", ControlKind::Button, "Login");
    addControl("cmdCancel", ControlKind::Button, "Cancel");
}

void FrmLogin::onLoad() { centre(); }

// An address remembered as a blank (the box was not ticked) shows as an empty box.
void FrmLogin::LoadRememberedLogin() {
    std::string& txtUser = control("txtUser").text;
    remembered_.LoadRememberedLogin(txtUser, control("chklogin").value);
    txtUser = std::string(trimSpaces(txtUser));
    refresh();
}

void FrmLogin::onButton(const std::string& name) {
    if (name == "cmdLogin") login();
    if (name == "cmdCancel") unload();
}

// The second field of the reply after the user id: up to the next ";", or,
// without one, the rest less a stray last character (so "00" still reads "0").
std::string FrmLogin::secondField() const {
    auto p = Usercode.find(';');
    if (p != std::string::npos) return Usercode.substr(0, p);
    if (Usercode.size() <= 1) return Usercode;
    return Usercode.substr(0, Usercode.size() - 1);
}

// "id;name" pairs from the rest of the reply. An id with no ";" after it is
// dropped; a name without a ";" after it runs to the end of the reply.
std::vector<std::string> FrmLogin::takeSystemLines() {
    std::vector<std::string> lines;
    for (auto p = Usercode.find(';'); p != std::string::npos; p = Usercode.find(';')) {
        std::string id = Usercode.substr(0, p);
        Usercode.erase(0, p + 1);
        std::string name = Usercode;
        if (auto q = Usercode.find(';'); q != std::string::npos) {
            name = Usercode.substr(0, q);
            Usercode.erase(0, q + 1);
        }
        lines.push_back(id + ";" + name);
        ++cntsys;
    }
    return lines;
}

// A refused certificate is no matter of the trader's connection: he is told so.
std::string FrmLogin::noReplyMessage(platform::NoReply noReply) const {
    if (noReply == platform::NoReply::UntrustedCertificate)
        return "The certificate of the Korvane - Vantor service at " + std::string(platform::hostOf(main_.host)) +
               " is not trusted on this computer, so nothing was sent. Check that the computer's date and time are "
               "right, or ask the service's support.";
    return "Could not reach the Korvane - Vantor service. Check your internet connection and try again.";
}

void FrmLogin::takeStamps() {
    platform::DateTime now = platform_.clock.now();
    module_.loginDate = now.year * 10000L + now.month * 100L + now.day;
    module_.loginTime = now;
}

void FrmLogin::login() {
    Usercode.assign(1, ' ');  // one blank until the reply arrives
    cntsys = 0;
    auto& txtUser = control("txtUser");
    txtUser.text = std::string(trimSpaces(txtUser.text));
    refresh();
    if (!fetcher_) fetcher_ = platform_.web.create();

    const std::string url = main_.host + "/LoginCheckAction.do?email=" + percentEncode(txtUser.text) +
                            "&password=" + percentEncode(control("txtPass").text);
    const platform::Fetched fetched = fetcher_->FetchUrl(url);
    if (!fetched.reply) {
        platform_.messages.showModal(noReplyMessage(fetched.noReply), MessageIcon::Error);
        return;
    }
    Usercode = *fetched.reply;

    auto firstSeparator = Usercode.find(';');
    module_.userId = firstSeparator == std::string::npos ? 0 : leadingNumber(Usercode.substr(0, firstSeparator));
    if (module_.userId == 0) {
        platform_.messages.showModal("Login Error", MessageIcon::Error);
        main_.swlogin = 0;
        return;
    }
    Usercode.erase(0, firstSeparator + 1);

    const int chklogin = control("chklogin").value;
    if (secondField() == "0") {
        platform_.messages.showModal("No Trade System Exist, please login to the website and create one",
                                MessageIcon::Error);
        main_.ceklist.clear();
        remembered_.SaveRememberedLogin(txtUser.text, chklogin);
        return;
    }

    std::vector<std::string> systems = takeSystemLines();
    if (!systemsWriter_.replace(platform_.dataFile("TempSyst.dat"), systems)) return;
    takeStamps();
    module_.listedSystems.clear();
    for (const std::string& line : systems) module_.listedSystems.push_back(splitSystemLine(line).sysLineId);
    systems_.offer(systems);  // also what the Terminals window offers

    if (cntsys == 1) {
        main_.ceklist.clear();
        relay_.startUnder(splitSystemLine(systems.front()).sysLineId);
    } else if (cntsys >= 2) {
        systems_.showModeless();
        systems_.setState(platform::WindowState::Normal);
    }
    remembered_.SaveRememberedLogin(txtUser.text, chklogin);
    unload();
}

}  // namespace kv
