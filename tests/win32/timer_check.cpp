#include <gtest/gtest.h>

#include <algorithm>

#include "check_support.h"
#include "platform/win32/win32_timer.h"

namespace kv::platform::win32::checks {
namespace {

TEST(Win32Timer, TicksWhileOnButNeverInsideAnotherTickNorAfterBeingSwitchedOffNorWithoutAnInterval) {
    HiddenWindow window(GetModuleHandleW(nullptr), AppIcons{});
    Win32TimerFactory factory(window);
    int ticks = 0, running = 0, deepest = 0, ticksWithoutInterval = 0;
    std::unique_ptr<Timer> timer = factory.create([&] {
        ++ticks;
        deepest = std::max(deepest, ++running);
        // Like a message box inside a tick: a modal loop that dispatches WM_TIMER.
        if (ticks == 1) pump(nullptr, 150);
        --running;
    });
    timer->setInterval(10);
    std::unique_ptr<Timer> noInterval = factory.create([&] { ++ticksWithoutInterval; });
    noInterval->setEnabled(true);
    pump(nullptr, 50);
    EXPECT_EQ(ticks, 0) << "ticks before the timer was switched on";

    timer->setEnabled(true);
    for (int waited = 0; ticks < 3 && waited < 2000; waited += 20) pump(nullptr, 20);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(deepest, 1);

    // A tick already queued when the timer goes off must not run.
    timer->setEnabled(false);
    const int ticksWhenOff = ticks;
    PostMessageW(window.handle(), WM_TIMER, 1, 0);
    pump(nullptr, 60);
    EXPECT_EQ(ticks, ticksWhenOff);
    EXPECT_EQ(ticksWithoutInterval, 0);
    EXPECT_TRUE(noInterval->enabled());
}

}  // namespace
}  // namespace kv::platform::win32::checks
