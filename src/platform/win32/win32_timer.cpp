#include "platform/win32/win32_timer.h"

#include "platform/win32/callback_guard.h"

namespace kv::platform::win32 {

Win32TimerFactory::Win32TimerFactory(HiddenWindow& window) : window_(window) {
    window_.onTimer = [this](UINT_PTR id) { deliver(id); };
}

std::unique_ptr<Timer> Win32TimerFactory::create(std::function<void()> onTick) {
    const UINT_PTR id = nextId_++;
    auto timer = std::make_unique<Win32Timer>(*this, window_.handle(), id, std::move(onTick));
    timers_[id] = timer.get();
    return timer;
}

void Win32TimerFactory::deliver(UINT_PTR timerId) {
    const auto found = timers_.find(timerId);
    if (found != timers_.end()) found->second->tickArrived();
}

void Win32TimerFactory::forget(UINT_PTR timerId) { timers_.erase(timerId); }

Win32Timer::Win32Timer(Win32TimerFactory& factory, HWND window, UINT_PTR id, std::function<void()> onTick)
    : factory_(factory), window_(window), id_(id), onTick_(std::move(onTick)) {}

Win32Timer::~Win32Timer() {
    KillTimer(window_, id_);
    factory_.forget(id_);
}

// Setting what is already set leaves the running countdown alone.
void Win32Timer::setInterval(unsigned milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    arm();
}

void Win32Timer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    arm();
}

// An interval of 0 means no ticks at all, as with the timer control the
// core's rules are written for.
void Win32Timer::arm() {
    if (enabled_ && interval_ > 0)
        SetTimer(window_, id_, interval_, nullptr);
    else
        KillTimer(window_, id_);
}

void Win32Timer::tickArrived() {
    if (!enabled_ || ticking_) return;
    ticking_ = true;
    runGuarded(onTick_);
    ticking_ = false;
}

}  // namespace kv::platform::win32
