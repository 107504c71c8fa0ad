#include <gtest/gtest.h>

#include "platform/headless/latin1_system_text.h"
#include "platform/text_encoding.h"
#include "platform/text_file.h"
#include "platform/utf8_text.h"
#include "support/machine.h"

using kv::platform::splitLines;

TEST(TextLines, LineEndsAndEncodings) {
    kv::platform::headless::Latin1SystemText text;
    EXPECT_EQ(splitLines("a\r\nb\rc\nd\r\n\r\ne", text), (std::vector<std::string>{"a", "b", "c\nd", "", "e"}));
    // UTF-8 behind its mark comes in the code page; unmarked, the program's own files are the code page.
    EXPECT_EQ(splitLines("\xEF\xBB\xBFx;1\r\ncaf\xC3\xA9", text), (std::vector<std::string>{"x;1", "caf\xE9"}));
    EXPECT_EQ(splitLines("caf\xC3\xA9", text), (std::vector<std::string>{"caf\xC3\xA9"}));
    const std::string utf16 = kvtest::utf16WithMark("1;2\r\n3\r");
    EXPECT_EQ(splitLines(utf16, text), (std::vector<std::string>{"1;2", "3"}));
    // Without the mark: known by the NUL behind every character of the first line.
    EXPECT_EQ(splitLines(utf16.substr(2), text), (std::vector<std::string>{"1;2", "3"}));
    EXPECT_EQ(splitLines(std::string("12\0\r\n", 5), text), (std::vector<std::string>{std::string("12\0", 3)}));
    // A file another program wrote may be UTF-8 without a mark, but only bytes that read as UTF-8 throughout.
    using kv::platform::Encoding, kv::platform::UnmarkedUtf8;
    EXPECT_EQ(encodingOf("caf\xC3\xA9", UnmarkedUtf8::IsUtf8).encoding, Encoding::Utf8);
    EXPECT_EQ(encodingOf("caf\xE9", UnmarkedUtf8::IsUtf8).encoding, Encoding::CodePage);
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
