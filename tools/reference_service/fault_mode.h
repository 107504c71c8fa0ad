#pragma once
#include <chrono>
#include <optional>
#include <random>
#include <string>

namespace refsvc {

// How the service misbehaves, switched by the tests at run time.
enum class FaultKind {
    Normal,  // answer as a real service would
    Refuse,  // answer "error"
    Delay,   // wait, then answer normally
    Garble,  // answer random text
    Drop,    // close the connection without any reply
    Short,   // answer the reply less its last character
};

struct FaultMode {
    FaultKind kind = FaultKind::Normal;
    std::chrono::milliseconds delay{0};
};

// The longest delay a test may ask for, so a forgotten switch cannot hang a run.
inline constexpr std::chrono::milliseconds kMaxDelay{30000};

// From the control request's "mode" and "ms" values; nothing for an unknown
// mode, or a delay that is missing, not a number or longer than kMaxDelay.
std::optional<FaultMode> parseFaultMode(const std::string& mode, const std::optional<std::string>& ms);

std::string faultModeName(const FaultMode& mode);

// What the client gets instead of REPLY: nothing means drop the connection.
// The delay of Delay mode is the caller's to wait.
std::optional<std::string> applyFault(const FaultMode& mode, const std::string& reply, std::mt19937& random);

}  // namespace refsvc
