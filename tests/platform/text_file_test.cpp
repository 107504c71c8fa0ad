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
    const std::u16string name = u"Иван \U0001F600 \xDC00\xD800z";  // lone surrogates, as an NTFS name may hold
    EXPECT_EQ(utf16FromUtf8(utf8FromUtf16(name)), name);
    // A stray continuation byte, an overlong "/", a cut sequence, two lone surrogates that must not pair up.
    EXPECT_EQ(utf16FromUtf8("a\x80 \xC0\xAF \xE4\xB8 \xED\xA0\x80\xED\xB0\x80"),
              u"a\xFFFD \xFFFD\xFFFD \xFFFD\xFFFD \xD800\xFFFD");
    EXPECT_FALSE(strictUtf16FromUtf8("\xE4\xB8"));
}
