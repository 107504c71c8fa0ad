#pragma once
#include <functional>
#include <map>
#include <memory>

#include "platform/timer.h"
#include "platform/win32/hidden_window.h"

namespace kv::platform::win32 {

class Win32Timer;

// Timers on the main window (SetTimer); WM_TIMER is routed back here.
class Win32TimerFactory : public TimerFactory {
public:
    explicit Win32TimerFactory(HiddenWindow& window);
    std::unique_ptr<Timer> create(std::function<void()> onTick) override;

    void deliver(UINT_PTR timerId);  // a WM_TIMER arrived
    void forget(UINT_PTR timerId);   // the timer is gone

private:
    HiddenWindow& window_;
    UINT_PTR nextId_ = 1;
    std::map<UINT_PTR, Win32Timer*> timers_;
};

class Win32Timer : public Timer {
public:
    Win32Timer(Win32TimerFactory& factory, HWND window, UINT_PTR id, std::function<void()> onTick);
    ~Win32Timer() override;

    void setInterval(unsigned milliseconds) override;
    void setEnabled(bool enabled) override;
    bool enabled() const override { return enabled_; }
    unsigned interval() const override { return interval_; }

    // WM_TIMER is also dispatched inside every modal loop (message box, menu,
    // file dialog), and KillTimer leaves a tick that is already queued: a tick
    // that comes while the last one still runs, or after the timer was
    // switched off, is dropped.
    void tickArrived();

private:
    void arm();

    Win32TimerFactory& factory_;
    HWND window_;
    UINT_PTR id_;
    std::function<void()> onTick_;
    unsigned interval_ = 0;
    bool enabled_ = false;
    bool ticking_ = false;
};

}  // namespace kv::platform::win32
