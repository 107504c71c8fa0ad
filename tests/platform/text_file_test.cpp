#include <gtest/gtest.h>

#include "platform/headless/latin1_system_text.h"
#include "platform/text_file.h"
#include "platform/utf8_text.h"

using kv::platform::splitLines;

// The program's own files are in the code page unless marked; only a NUL behind every character of the
// first line makes UTF-16, as an 8-bit line may hold one.
TEST(TextLines, UnmarkedTextIsTheCodePageEvenWithANul) {
    kv::platform::headless::Latin1SystemText text;
    EXPECT_EQ(splitLines("caf\xC3\xA9", text), (std::vector<std::string>{"caf\xC3\xA9"}));
    EXPECT_EQ(splitLines(std::string("12\0\r\n", 5), text), (std::vector<std::string>{std::string("12\0", 3)}));
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
