#pragma once
// GoogleTest's own Notification stands on std::mutex, which MinGW's win32
// thread model lacks. Only GoogleTest's own thread helpers wait on one.
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    void Notify() { notified_ = true; }
    void WaitForNotification() {
        while (!notified_) {
        }
    }

private:
    std::atomic<bool> notified_ = false;
};

}  // namespace testing::internal
