#include "shell/tray_status.h"

#include <chrono>

namespace kv {

using platform::TrayLook;

namespace {

// Three lines must fit the 127 characters the notification area shows.
constexpr std::size_t kLineLimit = 60;

std::string fitted(std::string line) {
    if (line.size() > kLineLimit) line.replace(kLineLimit - 3, std::string::npos, "...");
    return line;
}

long long secondsOf(const platform::DateTime& t) {
    using namespace std::chrono;
    const sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} / static_cast<unsigned>(t.day)};
    return day.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

// A silence from before the present login says nothing about it.
std::optional<platform::DateTime> unreachableSince(const StatusFacts& facts) {
    const auto& since = facts.relay.unreachableSince;
    if (facts.login != LoginState::LoggedIn || !since) return std::nullopt;
    if (facts.loginTime && secondsBetween(*facts.loginTime, *since) < 0) return std::nullopt;
    return since;
}

std::string stateLine(const StatusFacts& facts, const std::optional<platform::DateTime>& silentSince,
                      platform::Clock& clock) {
    switch (facts.login) {
        case LoginState::NeverLoggedIn: return "Not logged in";
        case LoginState::LoggedOut: return "Logged out";
        case LoginState::LoggedIn: break;
    }
    if (silentSince && facts.relay.certificateRefused) return fitted("Certificate not trusted: " + facts.serviceHost);
    std::string line = silentSince ? "Service unreachable since " : "Reporting for ";
    if (silentSince) return line.append(clock.timeText(*silentSince));
    return fitted(line.append(facts.email).append(" under ").append(facts.tradeSystem));
}

std::string waitingLine(const RelayFacts& relay, platform::Clock& clock) {
    std::string line = relay.lastAcknowledged ? "Last acknowledged " : "Nothing acknowledged yet";
    if (relay.lastAcknowledged) line.append(clock.timeText(*relay.lastAcknowledged));
    return line.append(relay.moreMayWait ? ", at least " : ", ").append(std::to_string(relay.waiting)).append(" waiting");
}

}  // namespace

long secondsBetween(const platform::DateTime& from, const platform::DateTime& to) {
    return static_cast<long>(secondsOf(to) - secondsOf(from));
}

TrayStatus trayStatus(const StatusFacts& facts, const platform::DateTime& now, platform::Clock& clock) {
    const auto silentSince = unreachableSince(facts);
    const bool relaying = facts.login == LoginState::LoggedIn;
    TrayStatus status;
    status.tip = "Korvane - Vantor\n";
    status.tip += stateLine(facts, silentSince, clock);
    if (facts.relay.waiting > 0)
        status.tip.append("\n").append(waitingLine(facts.relay, clock));
    else if (relaying && facts.relay.expertNotStarted)
        status.tip.append("\nDrag KorvaneVantor onto one chart in ").append(shortTerminalName(facts.terminal));
    else if (relaying && facts.relay.orderLogMissing)
        status.tip += "\nOrder log systemorder.log not found";
    status.unreachableLong = silentSince && secondsBetween(*silentSince, now) > kUnreachableAttentionSeconds;
    // A refused certificate does not heal by waiting: it asks for attention at once.
    const bool certificateRefused = silentSince && facts.relay.certificateRefused;
    if (!relaying)
        status.look = TrayLook::Idle;
    else if (status.unreachableLong || certificateRefused || facts.relay.orderLogMissing)
        status.look = TrayLook::Attention;
    else
        status.look = TrayLook::Relaying;
    return status;
}

}  // namespace kv
