#pragma once
#include <cstdint>
#include <random>
#include <vector>

namespace soak {

// The soak's one source of chance, so that a seed replays a whole run.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    bool chance(double probability) { return std::uniform_real_distribution<double>(0, 1)(engine_) < probability; }
    int below(int bound) { return bound <= 1 ? 0 : std::uniform_int_distribution<int>(0, bound - 1)(engine_); }
    int between(int low, int high) { return low + below(high - low + 1); }
    template <class T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

private:
    std::mt19937_64 engine_;
};

}  // namespace soak
