#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/timer.h"

namespace kv::platform::headless {

// Timers that tick only when a test says so.
class ManualTimer : public Timer {
public:
    explicit ManualTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {}
    void setInterval(unsigned milliseconds) override { interval_ = milliseconds; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool enabled() const override { return enabled_; }
    unsigned interval() const override { return interval_; }

    // One elapsed interval: runs the tick when the timer is enabled.
    bool fire() {
        if (!enabled_) return false;
        onTick_();
        return true;
    }

private:
    std::function<void()> onTick_;
    unsigned interval_ = 0;
    bool enabled_ = false;
};

class ManualTimerFactory : public TimerFactory {
public:
    std::vector<ManualTimer*> timers;  // owned by the program that created them

    std::unique_ptr<Timer> create(std::function<void()> onTick) override {
        auto timer = std::make_unique<ManualTimer>(std::move(onTick));
        timers.push_back(timer.get());
        return timer;
    }
};

}  // namespace kv::platform::headless
