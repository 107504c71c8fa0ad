#include "shell/tray_status_watch.h"

#include <vector>

#include "platform/text_file.h"
#include "systems/frm_sys.h"

namespace kv {

namespace {

constexpr unsigned kRefreshMilliseconds = 1000;
constexpr long kBalloonGapSeconds = 60;

}  // namespace

TrayStatusWatch::TrayStatusWatch(const platform::Platform& platform, const FrmMainMdi& main,
                                 const ProsesWriteMO& module, FrmLogin& login)
    : platform_(platform), main_(main), module_(module), login_(login) {}

void TrayStatusWatch::start() {
    timer_ = platform_.timers.create([this] { refresh(); });
    timer_->setInterval(kRefreshMilliseconds);
    timer_->setEnabled(true);
    refresh();
}

void TrayStatusWatch::refresh() {
    const StatusFacts facts = gather();
    const platform::DateTime now = platform_.clock.now();
    const TrayStatus status = trayStatus(facts, now, platform_.clock);
    if (shown_ != status) platform_.tray.show(status.tip, status.look);
    shown_ = status;
    warn(status, facts, now);
}

StatusFacts TrayStatusWatch::gather() {
    StatusFacts facts;
    if (main_.swlogin == 1) {
        everRelayed_ = true;
        takeLogin();
        facts.login = LoginState::LoggedIn;
    } else {
        facts.login = everRelayed_ ? LoginState::LoggedOut : LoginState::NeverLoggedIn;
    }
    facts.email = email_;
    facts.tradeSystem = tradeSystem_;
    facts.serviceHost = platform::hostOf(main_.host);
    facts.loginTime = module_.loginTime;
    facts.terminal = main_.terminal;
    facts.terminals = 1 + main_.otherTerminals.size();
    facts.relay = module_.relayFacts;
    return facts;
}

void TrayStatusWatch::takeLogin() {
    std::string key = module_.systemId + ";";
    if (module_.loginTime) key += platform_.clock.timeText(*module_.loginTime);
    if (key == loginKey_) return;
    loginKey_ = key;
    // The login window keeps the address it sent after it closes.
    email_.clear();
    for (const auto& control : login_.form().controls)
        if (control.name == "txtUser") email_ = control.text;
    tradeSystem_ = module_.systemId;
    std::vector<std::string> lines;
    if (platform::readLines(platform_.files, platform_.text, platform_.dataFile("TempSyst.dat"), lines) != platform::FileError::None)
        return;
    for (const auto& line : lines) {
        const SystemLine system = splitSystemLine(line);
        if (system.sysLineId == module_.systemId && !system.sysLineName.empty()) tradeSystem_ = system.sysLineName;
    }
}

void TrayStatusWatch::warn(const TrayStatus& status, const StatusFacts& facts, const platform::DateTime& now) {
    // A logout ends the story: no "answers again" after the next login.
    if (main_.swlogin != 1) silenceTold_ = false;
    const bool silent = status.unreachableLong;
    if (silent == silenceTold_) return;
    if (lastBalloon_ && secondsBetween(*lastBalloon_, now) < kBalloonGapSeconds) return;
    std::string text = "The service answers again.";
    if (silent && facts.relay.certificateRefused)
        text = "The certificate of the service at " + facts.serviceHost +
               " is not trusted on this computer. Orders wait, and are sent again at every poll.";
    else if (silent)
        text = "The service has not answered since " + platform_.clock.timeText(*facts.relay.unreachableSince) +
               ". Orders wait, and are sent again at every poll.";
    platform_.tray.balloon(text);
    silenceTold_ = silent;
    lastBalloon_ = now;
}

}  // namespace kv
