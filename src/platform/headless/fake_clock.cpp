#include "platform/headless/fake_clock.h"

#include <cstdio>

namespace kv::platform::headless {

std::string FakeClock::shortDateText(const DateTime& when) {
    return std::to_string(when.month) + "/" + std::to_string(when.day) + "/" + std::to_string(when.year);
}

std::string FakeClock::timeText(const DateTime& when) {
    int hour12 = when.hour % 12 == 0 ? 12 : when.hour % 12;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour12, when.minute, when.second,
                  when.hour < 12 ? "AM" : "PM");
    return text;
}

}  // namespace kv::platform::headless
