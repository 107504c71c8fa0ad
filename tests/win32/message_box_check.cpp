#include <gtest/gtest.h>

#include "check_support.h"
#include "platform/win32/win32_message_box.h"

namespace kv::platform::win32::checks {
namespace {

HWND shownBox() {
    HWND box = FindWindowW(L"#32770", L"Korvane - Vantor");
    return box && IsWindowVisible(box) ? box : nullptr;
}

template <class Condition>
bool pumpUntil(Condition condition) {
    for (int waited = 0; !condition() && waited < 3000; waited += 20) pump(nullptr, 20);
    return condition();
}

// The box runs on a thread of its own: this thread goes on, and hears of the
// trader's OK only for the box still open.
TEST(Win32MessageBox, AModelessBoxHoldsUpNothingAndTheProgramOrTheTraderClosesIt) {
    Win32MessageBox boxes;
    int closed = 0;
    boxes.openModeless("Told first", MessageIcon::Error, [&] { ++closed; });
    ASSERT_TRUE(pumpUntil(shownBox));
    HWND box = shownBox();
    EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), L"Told first");
    boxes.closeModeless();
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(box); }));

    boxes.openModeless("Gone before it shows", MessageIcon::Error, [&] { ++closed; });
    boxes.closeModeless();
    boxes.openModeless("Told next", MessageIcon::Error, [&] { ++closed; });
    ASSERT_TRUE(pumpUntil([&] { return (box = shownBox()) && windowText(GetDlgItem(box, 0xFFFF)) == L"Told next"; }));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pumpUntil([&] { return closed > 0; }));
    EXPECT_EQ(closed, 1);
}

}  // namespace
}  // namespace kv::platform::win32::checks
