#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/headless/fake_clock.h"
#include "platform/timer.h"

namespace kv::platform::headless {

// Timers that tick only when a test says so; the fake clock's steady time
// moves on by the interval that elapsed.
class ManualTimer : public Timer {
public:
    ManualTimer(FakeClock& clock, std::function<void()> onTick) : clock_(clock), onTick_(std::move(onTick)) {}
    void setInterval(unsigned milliseconds) override { interval_ = milliseconds; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool enabled() const override { return enabled_; }
    unsigned interval() const override { return interval_; }

    // One elapsed interval: runs the tick when the timer is enabled.
    bool fire() {
        if (!enabled_) return false;
        clock_.steady += interval_;
        onTick_();
        return true;
    }

private:
    FakeClock& clock_;
    std::function<void()> onTick_;
    unsigned interval_ = 0;
    bool enabled_ = false;
};

class ManualTimerFactory : public TimerFactory {
public:
    explicit ManualTimerFactory(FakeClock& clock) : clock_(clock) {}

    std::vector<ManualTimer*> timers;  // owned by the program that created them

    std::unique_ptr<Timer> create(std::function<void()> onTick) override {
        auto timer = std::make_unique<ManualTimer>(clock_, std::move(onTick));
        timers.push_back(timer.get());
        return timer;
    }

private:
    FakeClock& clock_;
};

}  // namespace kv::platform::headless
