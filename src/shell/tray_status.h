#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "common/relay_facts.h"
#include "platform/clock.h"
#include "platform/shell_ui.h"
#include "settings/folders/meta_trader.h"

namespace kv {

enum class LoginState { NeverLoggedIn, LoggedIn, LoggedOut };

// What the login and the engine know, as the tray reads it.
struct StatusFacts {
    LoginState login = LoginState::NeverLoggedIn;
    std::string email, tradeSystem;
    std::string serviceHost;  // the host name of the service's address
    std::optional<platform::DateTime> loginTime;
    MetaTrader terminal = MetaTrader::Four;
    std::size_t terminals = 1;  // how many are relayed
    RelayFacts relay;
};

struct TrayStatus {
    std::string tip;
    platform::TrayLook look = platform::TrayLook::Idle;
    bool unreachableLong = false;  // logged in, and no reply for more than a minute
    bool operator==(const TrayStatus&) const = default;
};

// After this long without a reply the icon asks for attention.
inline constexpr long kUnreachableAttentionSeconds = 60;

// Whole seconds from `from` to `to` (negative when `to` is earlier).
long secondsBetween(const platform::DateTime& from, const platform::DateTime& to);

// The tip ("Korvane - Vantor", the state, and what waits) and the icon's look.
TrayStatus trayStatus(const StatusFacts& facts, const platform::DateTime& now, platform::Clock& clock);

}  // namespace kv
