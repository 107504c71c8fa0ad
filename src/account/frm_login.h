#pragma once
#include <memory>
#include <string>

#include "account/store/remembered_login.h"
#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/window.h"
#include "platform/platform.h"
#include "relay/relay_switch.h"
#include "systems/frm_sys.h"

namespace kv {

// The login dialog: sends the e-mail address and password to the service and
// turns the reply into the user id, the list of trade systems
// (Data\TempSyst.dat), the login stamps and the remembered login; with one
// system it starts relaying at once, with several it opens the selection.
class FrmLogin : public Window {
public:
    FrmLogin(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
             RememberedLogin& remembered, RelaySwitch& relay, FrmSys& systems);

    int cntsys = 0;        // systems the last login wrote to Data\TempSyst.dat
    std::string Usercode;  // the login reply, consumed from the front

    // Fills txtUser and chklogin from the remembered login, loading the dialog.
    void LoadRememberedLogin();

    void onButton(const std::string& control) override;

protected:
    void createControls() override;
    void onLoad() override;

private:
    void login();
    void takeStamps();
    std::string noReplyMessage(platform::NoReply noReply) const;
    std::string secondField() const;
    std::vector<std::string> takeSystemLines();

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    RememberedLogin& remembered_;
    RelaySwitch& relay_;
    FrmSys& systems_;
    FileWriter systemsWriter_;
    std::unique_ptr<platform::WebFetcher> fetcher_;  // created at the first attempt, then kept
};

}  // namespace kv
