#include "platform/win32/win32_clock.h"

#include "platform/win32/file_time.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

namespace {

SYSTEMTIME toSystemTime(const DateTime& when) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(when.year);
    st.wMonth = static_cast<WORD>(when.month);
    st.wDay = static_cast<WORD>(when.day);
    st.wHour = static_cast<WORD>(when.hour);
    st.wMinute = static_cast<WORD>(when.minute);
    st.wSecond = static_cast<WORD>(when.second);
    return st;
}

}  // namespace

DateTime Win32Clock::now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string Win32Clock::shortDateText(const DateTime& when) {
    const SYSTEMTIME st = toSystemTime(when);
    wchar_t text[80];
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 80, nullptr);
    return length > 0 ? codePageFromWide(std::wstring_view(text, static_cast<std::size_t>(length - 1))) : std::string();
}

std::string Win32Clock::timeText(const DateTime& when) {
    const SYSTEMTIME st = toSystemTime(when);
    wchar_t text[80];
    // No flags: the user's long time format, which carries the seconds.
    const int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, text, 80);
    return length > 0 ? codePageFromWide(std::wstring_view(text, static_cast<std::size_t>(length - 1))) : std::string();
}

std::chrono::system_clock::time_point Win32Clock::utcNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return fromFileTime(now);
}

std::uint64_t Win32Clock::steadyMilliseconds() { return GetTickCount64(); }

}  // namespace kv::platform::win32
