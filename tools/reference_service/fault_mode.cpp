#include "fault_mode.h"

#include <charconv>

namespace refsvc {

std::optional<FaultMode> parseFaultMode(const std::string& mode, const std::optional<std::string>& ms) {
    if (mode == "normal") return FaultMode{FaultKind::Normal, {}};
    if (mode == "refuse") return FaultMode{FaultKind::Refuse, {}};
    if (mode == "garble") return FaultMode{FaultKind::Garble, {}};
    if (mode == "drop") return FaultMode{FaultKind::Drop, {}};
    if (mode == "short") return FaultMode{FaultKind::Short, {}};
    if (mode != "delay" || !ms) return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(ms->data(), ms->data() + ms->size(), value);
    if (error != std::errc{} || end != ms->data() + ms->size() || value < 0 || value > kMaxDelay.count()) {
        return std::nullopt;
    }
    return FaultMode{FaultKind::Delay, std::chrono::milliseconds(value)};
}

std::string faultModeName(const FaultMode& mode) {
    switch (mode.kind) {
        case FaultKind::Normal: return "normal";
        case FaultKind::Refuse: return "refuse";
        case FaultKind::Delay: return "delay " + std::to_string(mode.delay.count()) + " ms";
        case FaultKind::Garble: return "garble";
        case FaultKind::Drop: return "drop";
        case FaultKind::Short: return "short";
    }
    return "?";
}

std::optional<std::string> applyFault(const FaultMode& mode, const std::string& reply, std::mt19937& random) {
    switch (mode.kind) {
        case FaultKind::Normal:
        case FaultKind::Delay: return reply;
        case FaultKind::Refuse: return std::string("error");
        case FaultKind::Drop: return std::nullopt;
        case FaultKind::Short: return reply.empty() ? reply : reply.substr(0, reply.size() - 1);
        case FaultKind::Garble: {
            // No ';' in the alphabet: garbage can never pass for an acknowledgement.
            static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 <>/!?.";
            std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
            std::uniform_int_distribution<std::size_t> length(8, 40);
            std::string text(length(random), ' ');
            for (auto& c : text) c = kAlphabet[pick(random)];
            return text;
        }
    }
    return reply;
}

}  // namespace refsvc
