#pragma once
#include <memory>
#include <optional>
#include <string>

#include "account/frm_login.h"
#include "common/frm_main_mdi.h"
#include "common/proses_write_mo.h"
#include "platform/platform.h"
#include "shell/tray_status.h"

namespace kv {

// Keeps the icon's tip and look in step with the login and the engine, once
// a second, and warns by balloon when the service has been silent for a
// minute and when it answers again: never more than one balloon a minute.
class TrayStatusWatch {
public:
    TrayStatusWatch(const platform::Platform& platform, const FrmMainMdi& main, const ProsesWriteMO& module,
                    FrmLogin& login);

    void start();    // shows the status now, then every second
    void refresh();  // one look at the facts

private:
    StatusFacts gather();
    void takeLogin();  // the address and trade system of the login now relaying
    void warn(const TrayStatus& status, const StatusFacts& facts, const platform::DateTime& now);

    platform::Platform platform_;
    const FrmMainMdi& main_;
    const ProsesWriteMO& module_;
    FrmLogin& login_;
    std::unique_ptr<platform::Timer> timer_;
    std::optional<TrayStatus> shown_;
    bool everRelayed_ = false;
    std::string loginKey_, email_, tradeSystem_;
    bool silenceTold_ = false;
    std::optional<platform::DateTime> lastBalloon_;
};

}  // namespace kv
