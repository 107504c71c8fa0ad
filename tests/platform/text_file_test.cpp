#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "platform/text_file.h"

using kv::platform::splitLines;

TEST(TextLines, EndAtCrLfOrLoneCrAndKeepLoneLf) {
    kv::platform::headless::PosixFileSystem files;
    EXPECT_EQ(splitLines("a\r\nb\rc\nd\r\n\r\ne", files),
              (std::vector<std::string>{"a", "b", "c\nd", "", "e"}));
    EXPECT_TRUE(splitLines("", files).empty());
    EXPECT_EQ(splitLines("\r", files), (std::vector<std::string>{""}));
}

TEST(TextLines, ByteOrderMarks) {
    kv::platform::headless::PosixFileSystem files;
    EXPECT_EQ(splitLines("\xEF\xBB\xBFx;1\r\ny", files), (std::vector<std::string>{"x;1", "y"}));
    std::string utf16("\xFF\xFE", 2);
    for (char c : std::string("1;2\r\n3\r"))
        utf16 += std::string{c, '\0'};
    EXPECT_EQ(splitLines(utf16, files), (std::vector<std::string>{"1;2", "3"}));
    // Without the mark: known by the NUL behind every character of the first line.
    EXPECT_EQ(splitLines(utf16.substr(2), files), (std::vector<std::string>{"1;2", "3"}));
    EXPECT_EQ(splitLines(std::string("12\0\r\n", 5), files), (std::vector<std::string>{std::string("12\0", 3)}));
}

TEST(HeadlessFiles, BackslashesAndCaseInsensitiveNames) {
    kv::platform::headless::HeadlessPlatform p;
    p.writeFile("MT4/experts/files/SystemOrder.log", "x\r\n");
    std::vector<std::string> lines;
    EXPECT_EQ(kv::platform::readLines(p.files, p.root() + "\\MT4\\experts\\files\\systemorder.log", lines),
              kv::platform::FileError::None);
    EXPECT_EQ(lines, std::vector<std::string>{"x"});
    EXPECT_EQ(p.files.lookup(p.root() + "\\MT4\\experts\\files\\SYSTEMORDER.LOG"), "SystemOrder.log");
    EXPECT_EQ(kv::platform::writeLines(p.files, p.root() + "\\MT4\\experts\\files\\systemorder.log", {"y"}),
              kv::platform::FileError::None);
    EXPECT_EQ(p.readFile("MT4/experts/files/SystemOrder.log"), "y\r\n");
    EXPECT_FALSE(p.exists("MT4/experts/files/systemorder.log.kvtmp"));
}
