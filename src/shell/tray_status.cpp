#include "shell/tray_status.h"

#include <algorithm>
#include <chrono>

namespace kv {

using platform::TrayLook;

namespace {

// Three lines must fit the 127 characters the notification area shows.
constexpr std::size_t kLineLimit = 60;
constexpr std::size_t kTipLimit = 127;

std::string fitted(std::string line, std::size_t limit = kLineLimit) {
    if (line.size() <= limit) return line;
    std::size_t cut = limit - 3;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return line.replace(cut, std::string::npos, "...");
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

// How many of the relayed terminals are doing well: "2 of 3 terminals".
std::string terminalCount(const StatusFacts& facts) {
    std::size_t troubled = 0;
    for (const auto& entry : facts.relay.terminals) troubled += entry.second.needsAttention();
    const std::size_t well = facts.terminals - std::min(troubled, facts.terminals);
    return (well < facts.terminals ? std::to_string(well) + " of " : "") + std::to_string(facts.terminals) +
           " terminals";
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
    if (facts.terminals > 1) return fitted(line.append(facts.email).append(": ").append(terminalCount(facts)));
    return fitted(line.append(facts.email).append(" under ").append(facts.tradeSystem));
}

std::string waitingLine(const RelayFacts& relay, platform::Clock& clock) {
    std::string line = relay.lastAcknowledged ? "Last acknowledged " : "Nothing acknowledged yet";
    if (relay.lastAcknowledged) line.append(clock.timeText(*relay.lastAcknowledged));
    return line.append(relay.moreMayWait() ? ", at least " : ", ").append(std::to_string(relay.waiting())).append(" waiting");
}

// Of several terminals, the first that needs the trader, and what it needs.
std::optional<std::string> attentionLine(const RelayFacts& relay) {
    for (const auto& [key, terminal] : relay.terminals) {
        if (terminal.systemGone) return fitted(terminal.label + ": trade system gone");
        if (terminal.expertNotStarted) return fitted(terminal.label + ": drag KorvaneVantor onto a chart");
        if (terminal.orderLogMissing) return fitted(terminal.label + ": order log not found");
    }
    return std::nullopt;
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
    const auto first = facts.relay.terminals.find("");
    const TerminalFacts alone = first == facts.relay.terminals.end() ? TerminalFacts{} : first->second;
    const auto attention = attentionLine(facts.relay);
    if (relaying && facts.terminals > 1 && attention)
        status.tip.append("\n").append(fitted(*attention, kTipLimit - status.tip.size() - 1));
    else if (facts.relay.waiting() > 0)
        status.tip.append("\n").append(waitingLine(facts.relay, clock));
    else if (relaying && alone.expertNotStarted)
        status.tip.append("\nDrag KorvaneVantor onto one chart in ").append(shortTerminalName(facts.terminal));
    else if (relaying && alone.orderLogMissing)
        status.tip += "\nOrder log systemorder.log not found";
    status.unreachableLong = silentSince && secondsBetween(*silentSince, now) > kUnreachableAttentionSeconds;
    // A refused certificate does not heal by waiting: it asks for attention at once.
    const bool certificateRefused = silentSince && facts.relay.certificateRefused;
    if (!relaying)
        status.look = TrayLook::Idle;
    else if (status.unreachableLong || certificateRefused || attention)
        status.look = TrayLook::Attention;
    else
        status.look = TrayLook::Relaying;
    return status;
}

}  // namespace kv
