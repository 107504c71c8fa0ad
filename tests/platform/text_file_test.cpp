#include <gtest/gtest.h>

#include "platform/headless/posix_file_system.h"
#include "platform/text_file.h"
#include "platform/utf8_text.h"
#include "support/machine.h"

using kv::platform::splitLines;

TEST(TextLines, LineEndsAndByteOrderMarks) {
    kv::platform::headless::PosixFileSystem files;
    EXPECT_EQ(splitLines("a\r\nb\rc\nd\r\n\r\ne", files), (std::vector<std::string>{"a", "b", "c\nd", "", "e"}));
    EXPECT_EQ(splitLines("\xEF\xBB\xBFx;1\r\ny", files), (std::vector<std::string>{"x;1", "y"}));
    const std::string utf16 = kvtest::utf16WithMark("1;2\r\n3\r");
    EXPECT_EQ(splitLines(utf16, files), (std::vector<std::string>{"1;2", "3"}));
    // Without the mark: known by the NUL behind every character of the first line.
    EXPECT_EQ(splitLines(utf16.substr(2), files), (std::vector<std::string>{"1;2", "3"}));
    EXPECT_EQ(splitLines(std::string("12\0\r\n", 5), files), (std::vector<std::string>{std::string("12\0", 3)}));
}

TEST(Utf8Paths, EveryWindowsNameComesBackAndBadBytesAreReplaced) {
    using namespace kv::platform;
    // A pair, and the lone surrogates an NTFS name may hold.
    for (const std::u16string& name : {std::u16string(u"Иван \U0001F600"), std::u16string(u"\xDC00\xD800z")})
        EXPECT_EQ(utf16FromUtf8(utf8FromUtf16(name)), name);
    // A stray continuation byte, an overlong "/", a cut sequence, two lone surrogates that must not pair up.
    for (auto [bytes, units] : {std::pair<std::string, std::u16string>{"a\x80z", u"a\xFFFDz"}, {"\xC0\xAF", u"\xFFFD\xFFFD"},
                                {"\xE4\xB8", u"\xFFFD\xFFFD"}, {"\xED\xA0\x80\xED\xB0\x80", u"\xD800\xFFFD"}}) {
        EXPECT_EQ(utf16FromUtf8(bytes), units);
        EXPECT_FALSE(strictUtf16FromUtf8(bytes));
    }
}
