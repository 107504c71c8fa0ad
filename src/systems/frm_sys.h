#pragma once
#include <string>
#include <vector>

#include "account/store/remembered_login.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "common/window.h"
#include "platform/platform.h"
#include "relay/relay_switch.h"

namespace kv {

// One line of Data\TempSyst.dat: the id before its first ";", the name after it.
struct SystemLine {
    std::string sysLineId;
    std::string sysLineName;
};
SystemLine splitSystemLine(const std::string& line);

// The id of a system as a list shows it: "12 Alpha" is system 12.
std::string systemIdOf(const std::string& item);

// The trade system selection, shown after a login that names several systems.
// Proceed starts relaying under the shown system; every close remembers the
// shown system and the remember box for this user in Data\LoginChk.dat.
// Only the systems the service listed at this login can be chosen: the list
// cannot be typed into, and a remembered system it no longer holds is not shown.
class FrmSys : public Window {
public:
    FrmSys(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module, RememberedLogin& remembered,
           RelaySwitch& relay);

    // The "id;name" lines of the login's reply, before the window opens.
    void offer(std::vector<std::string> listed) { listed_ = std::move(listed); }
    // What can be picked: each system listed at this login that Data\TempSyst.dat
    // holds, as "id name", in the order of the file.
    std::vector<std::string> offered() const;

    void onButton(const std::string& control) override;

protected:
    void createControls() override;
    void onLoad() override;
    void onUnload() override;

private:
    void proceed();
    // Whether the split entry is this user's system entry: for a one-character
    // id its last character is the id; a longer id must follow a listed item.
    bool isEntryOfUser(const std::string& userText);

    platform::Platform platform_;
    FrmMainMdi& main_;
    ProsesWriteMO& module_;
    RememberedLogin& remembered_;
    RelaySwitch& relay_;
    std::vector<std::string> listed_;
};

}  // namespace kv
