#include <gtest/gtest.h>

#include "check_support.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_system_text.h"

namespace kv::platform::win32::checks {
namespace {

class Win32FileSystemCheck : public ::testing::Test {
protected:
    ScratchFolder folder;
    Win32FileSystem files;

    UniqueHandle openForWriting(const std::string& path, DWORD share) {
        return UniqueHandle(CreateFileW(utf8ToWide(path).c_str(), GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    }
};

TEST_F(Win32FileSystemCheck, ReadingNeverStandsInTheWayOfTheExpertThatWritesTheLog) {
    const std::string log = folder.file("systemorder.log");
    writeBytes(log, "1;EURUSD\r\n");
    // The expert keeps the log open for writing while the relay reads it.
    UniqueHandle writer = openForWriting(log, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(writer);
    std::string bytes;
    EXPECT_EQ(files.readAll(log, bytes), FileError::None);
    EXPECT_EQ(bytes, "1;EURUSD\r\n");

    // Nothing stays open after the read: the expert may replace the file at once.
    writer = UniqueHandle();
    const std::string fresh = folder.file("fresh.log");
    writeBytes(fresh, "2;GBPUSD\r\n");
    EXPECT_TRUE(MoveFileExW(utf8ToWide(fresh).c_str(), utf8ToWide(log).c_str(), MOVEFILE_REPLACE_EXISTING));
}

// Two levels of 150 characters put the folder past MAX_PATH - 14, the old
// limit of a temporary file's folder.
TEST_F(Win32FileSystemCheck, ReplacingWritesTheWholeNewContentEvenInALongFolderAndLeavesNoTemporaryFile) {
    const std::string outer = folder.file(std::string(150, 'm'));
    const std::string inner = outer + "\\" + std::string(150, 'f');
    ASSERT_TRUE(CreateDirectoryW(utf8ToWide(outer).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(utf8ToWide(inner).c_str(), nullptr));
    const std::string state = inner + "\\manualorder.log";
    EXPECT_EQ(files.replaceAtomically(state, "a long first content\r\n"), FileError::None);
    EXPECT_EQ(files.replaceAtomically(state, "short\r\n"), FileError::None);
    EXPECT_EQ(readBytes(state), "short\r\n");
    EXPECT_EQ(files.probeWritable(inner), FileError::None);
    EXPECT_TRUE(DeleteFileW(utf8ToWide(state).c_str()));  // the only file there: no temporary left
    EXPECT_TRUE(RemoveDirectoryW(utf8ToWide(inner).c_str()));
}

TEST_F(Win32FileSystemCheck, AFileHeldByAnotherProgramIsReportedLocked) {
    const std::string journal = folder.file("TempClose.dat");
    writeBytes(journal, "old\r\n");
    UniqueHandle exclusive = openForWriting(journal, 0);
    ASSERT_TRUE(exclusive);
    EXPECT_EQ(files.append(journal, "more\r\n"), FileError::Locked);
    std::string bytes;
    EXPECT_EQ(files.readAll(journal, bytes), FileError::Locked);
    // A replace waits for it as well, then fails (a rename over a file in use is told as access denied),
    // and leaves no temporary file beside it.
    EXPECT_EQ(files.replaceAtomically(journal, "new\r\n"), FileError::AccessDenied);
    EXPECT_EQ(folder.fileCount(), 1);
}

TEST_F(Win32FileSystemCheck, AMissingFileOrFolderIsNotFound) {
    std::string bytes = "untouched";
    EXPECT_EQ(files.readAll(folder.file("Active.log"), bytes), FileError::NotFound);
    EXPECT_EQ(bytes, "untouched");
    const std::string noFolder = folder.file("Data") + "\\Settings.dat";
    EXPECT_EQ(files.replaceAtomically(noFolder, "x\r\n"), FileError::NotFound);
    EXPECT_EQ(files.append(noFolder, "x\r\n"), FileError::NotFound);
    EXPECT_EQ(files.probeWritable(folder.file("Data")), FileError::NotFound);
}

TEST_F(Win32FileSystemCheck, LookupFindsRegularFilesWhateverTheCaseOfTheirName) {
    writeBytes(folder.file("Install.dat"), "\r\n");
    CreateDirectoryW(utf8ToWide(folder.file("Folder.dat")).c_str(), nullptr);
    EXPECT_EQ(files.lookup(folder.file("INSTALL.DAT")), "Install.dat");
    EXPECT_EQ(files.lookup(folder.file("Folder.dat")), "");
    EXPECT_EQ(files.lookup(folder.file("Missing.dat")), "");
    EXPECT_EQ(files.lookup(folder.file("Inst*.dat")), "");
    EXPECT_EQ(files.lookup(folder.file("Install.da?")), "");
}

// What finding the terminal's files folder asks of Windows: the folders in a folder, with
// names outside the code page (C:\Users\Иван), a file's write time on the clock's
// own scale, upper case as Windows has it (one unit for one), 8-bit text.
TEST_F(Win32FileSystemCheck, FolderListingWriteTimesAndNames) {
    CreateDirectoryW(utf8ToWide(folder.file("Иван 陈伟")).c_str(), nullptr);
    writeBytes(folder.file("origin.txt"), "x");
    const auto names = files.subfolders(folder.path());
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(*names, std::vector<std::string>{"Иван 陈伟"});
    EXPECT_FALSE(files.subfolders(folder.file("missing")).has_value());

    const auto written = files.lastWriteTime(folder.file("origin.txt"));
    ASSERT_TRUE(written.has_value());
    const auto sinceWritten = Win32Clock().utcNow() - *written;
    EXPECT_TRUE(sinceWritten > -std::chrono::seconds(5) && sinceWritten < std::chrono::minutes(1));
    EXPECT_FALSE(files.lastWriteTime(folder.file("Иван 陈伟")).has_value());
    Win32SystemText text;
    EXPECT_EQ(text.codePageFromUtf16(text.utf16FromCodePage("caf\xE9")), "caf\xE9");
    EXPECT_EQ(text.upperCase(u"иван νίκη straße"), u"ИВАН ΝΊΚΗ STRAßE");
    EXPECT_EQ(utf8ToWide("a\xC0\xAF"), L"a\xFFFD\xFFFD");  // a malformed sequence at the boundary
}

}  // namespace
}  // namespace kv::platform::win32::checks
