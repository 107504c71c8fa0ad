#pragma once
#include <functional>
#include <memory>

namespace kv::platform {

// A repeating timer on the user-interface thread; ticks come only while enabled.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(unsigned milliseconds) = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual unsigned interval() const = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> create(std::function<void()> onTick) = 0;
};

}  // namespace kv::platform
