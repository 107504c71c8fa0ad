#include <gtest/gtest.h>

#include "shell/tray_status.h"
#include "shell/tray_status_watch.h"
#include "support/machine.h"

using namespace kvtest;
using kv::LoginState;
using kv::StatusFacts;
using kv::platform::TrayLook;

namespace {

const std::string kOrder = "20991231;x;1001;55;O1;BUY;EURUSD;0.1;1.1;0;0;0;0;1";

// `seconds` later within the hour: one poll and one look of the tray, from their two timers.
void second(Machine& m, int seconds = 1) {
    auto& t = m.hp.clock.current;
    t.minute += (t.second + seconds) / 60;
    t.second = (t.second + seconds) % 60;
    m.tick();
    for (auto* timer : m.hp.timers.timers)  // the tray's own timer, beside the poll's
        if (timer != &m.mytimer() && timer->interval() == 1000) timer->fire();
}

}  // namespace

TEST(TrayStatus, TipLookAndBalloonsFollowTheLoginAndTheService) {
    Machine run;
    auto& hp = run.hp;
    run.start();
    bool reachable = true;
    run.loginReply = "7;12;Alpha Scalper";
    run.spoil = [&](const std::string&, const std::string& answer) -> std::optional<std::string> {
        if (!reachable) return std::nullopt;
        return answer;
    };
    run.logIn("trader@example.com", "pw");
    hp.writeFile("MT4/experts/files/systemorder.log", kOrder + "\r\n");
    reachable = false;
    second(run);  // 5:40:01 PM: the first request gets no reply
    EXPECT_EQ(hp.tray.tip,
              "Korvane - Vantor\nService unreachable since 5:40:01 PM\nNothing acknowledged yet, at least 1 waiting");
    EXPECT_EQ(hp.tray.look, TrayLook::Relaying);  // a minute's grace before it asks for attention

    second(run, 61);
    EXPECT_EQ(hp.tray.look, TrayLook::Attention);
    ASSERT_EQ(hp.tray.balloons.size(), 1u);
    EXPECT_EQ(hp.tray.balloons[0].find("The service has not answered since 5:40:01 PM."), 0u);

    // It answers 11 s after the warning: the news waits out the balloon minute.
    reachable = true;
    second(run, 11);
    EXPECT_EQ(hp.tray.tip, "Korvane - Vantor\nReporting for trader@example.com under Alpha Scalper");
    EXPECT_EQ(hp.tray.look, TrayLook::Relaying);
    EXPECT_EQ(hp.tray.balloons.size(), 1u);
    second(run, 48);
    EXPECT_EQ(hp.tray.balloons.size(), 1u);
    second(run);
    ASSERT_EQ(hp.tray.balloons.size(), 2u);
    EXPECT_EQ(hp.tray.balloons[1], "The service answers again.");

    // A refused reply leaves the event waiting, with the last acknowledgement's time.
    hp.writeFile("MT4/experts/files/systemorder.log",
                 kOrder + "\r\n20991231;x;1001;56;O1;BUY;EURUSD;0.1;1.1;0;0;0;0;1\r\n");
    run.spoil = [](const std::string&, const std::string&) { return std::string("refused"); };
    second(run);
    EXPECT_EQ(hp.tray.tip, "Korvane - Vantor\nReporting for trader@example.com under Alpha Scalper\n"
                           "Last acknowledged 5:41:13 PM, 1 waiting");

    run.pick("mnulvSo");
    run.program().trayStatus().refresh();
    EXPECT_EQ(hp.tray.tip.substr(0, 28), "Korvane - Vantor\nLogged out\n");
}

TEST(TrayStatus, ARefusedCertificateIsToldAsSuchByTheLoginAndTheTrayWhileOrdersWaitForIt) {
    Machine run;
    auto& hp = run.hp;
    run.write("Data/Service.dat", "https://relay.korvane.test:8443\r\n");
    hp.service.noReply = kv::platform::NoReply::UntrustedCertificate;
    run.loginReply = std::nullopt;
    run.start();
    EXPECT_FALSE(run.logIn());
    EXPECT_TRUE(run.told("The certificate of the Korvane - Vantor service at relay.korvane.test is not trusted on "
                         "this computer, so nothing was sent."));
    EXPECT_TRUE(run.shows("frmLogin"));

    // Trusted again, the login goes through; then the certificate is refused while orders wait.
    run.loginReply = kLoginReply;
    hp.windows.click("frmLogin", "cmdLogin");
    ASSERT_EQ(run.program().values().swlogin, 1);
    run.spoil = [](const std::string&, const std::string&) -> std::optional<std::string> { return std::nullopt; };
    hp.writeFile("MT4/experts/files/systemorder.log", kOrder + "\r\n");
    second(run);
    EXPECT_EQ(hp.tray.tip, "Korvane - Vantor\nCertificate not trusted: relay.korvane.test\n"
                           "Nothing acknowledged yet, at least 1 waiting");
    EXPECT_EQ(hp.tray.look, TrayLook::Attention);  // at once: waiting mends no certificate
    second(run, 61);
    ASSERT_EQ(hp.tray.balloons.size(), 1u);
    EXPECT_EQ(hp.tray.balloons[0].find("The certificate of the service at relay.korvane.test is not trusted on this "
                                       "computer."),
              0u);

    // Any other failure keeps its own words.
    hp.service.noReply = kv::platform::NoReply::Unreachable;
    second(run);
    EXPECT_EQ(hp.tray.tip.find("Korvane - Vantor\nService unreachable since 5:40:01 PM\n"), 0u) << hp.tray.tip;
}

TEST(TrayStatus, AttentionForAMissingOrderLogOnlyWhileRelayingAndForSilenceOnlySinceTheLogin) {
    kv::platform::headless::FakeClock clock;
    StatusFacts facts;
    facts.login = LoginState::LoggedIn;
    facts.email = std::string(60, 'e') + "@example.com";
    facts.tradeSystem = "Alpha";
    facts.relay.terminals[""].orderLogMissing = true;
    auto status = kv::trayStatus(facts, clock.current, clock);
    EXPECT_EQ(status.look, TrayLook::Attention);
    EXPECT_EQ(status.tip, "Korvane - Vantor\nReporting for " + std::string(43, 'e') +
                              "...\nOrder log systemorder.log not found");
    facts.login = LoginState::LoggedOut;
    EXPECT_EQ(kv::trayStatus(facts, clock.current, clock).look, TrayLook::Idle);

    // A silence left over from before this login says nothing about it.
    facts.login = LoginState::LoggedIn;
    facts.relay.terminals[""].orderLogMissing = false;
    facts.relay.unreachableSince = kv::platform::DateTime{2026, 12, 5, 16, 0, 0};
    facts.loginTime = kv::platform::DateTime{2026, 12, 5, 17, 0, 0};
    EXPECT_EQ(kv::trayStatus(facts, clock.current, clock).look, TrayLook::Relaying);
    // Across midnight the minute still counts.
    facts.loginTime = kv::platform::DateTime{2026, 12, 4, 23, 0, 0};
    facts.relay.unreachableSince = kv::platform::DateTime{2026, 12, 4, 23, 59, 30};
    EXPECT_FALSE(kv::trayStatus(facts, {2026, 12, 5, 0, 0, 30}, clock).unreachableLong);
    EXPECT_TRUE(kv::trayStatus(facts, {2026, 12, 5, 0, 0, 31}, clock).unreachableLong);
}
