#include <gtest/gtest.h>

#include "check_support.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/unique_handle.h"
#include "platform/headless/recording_message_box.h"
#include "platform/win32/win32_platform.h"
#include "relay/state_files.h"
#include "support/faulty_file_system.h"

namespace kv::platform::win32::checks {
namespace {

using kvtest::FileStep;

// The engine's state files on the Windows file system; the faults a disk
// cannot be made to give on demand are put in front of it.
class StateFileCheck : public ::testing::Test {
protected:
    ScratchFolder folder;
    Win32Platform windows{GetModuleHandleW(nullptr), folder.path()};
    Platform real = windows.platform();
    kvtest::FaultyFileSystem files{real.files};
    headless::RecordingMessageBox boxes;  // what the trader would see, recorded instead of shown
    Platform platform{files,        real.text,      real.clock,   boxes,            real.web,
                      real.timers,  real.windows,   real.tray,    real.menus,       real.fileDialog,
                      real.process, real.folderWatch, real.expert, real.exeFolder};
    Notices notices{boxes};
    StateFiles state{platform, notices};
    const std::string known = folder.file("manualorder.log");

    std::string waitingContent() {
        std::string bytes;
        return state.read(known, bytes) == FileError::None ? bytes : "unreadable";
    }
};

TEST_F(StateFileCheck, AReplaceThatFailsKeepsTheOldFileWholeIsToldOnceAndCatchesUp) {
    const std::string before = "9;O;1\r\n";
    const std::string after = before + "8;O;1\r\n";
    for (FileError error : {FileError::DiskFull, FileError::AccessDenied, FileError::Locked}) {
        writeBytes(known, before);
        files.fail(FileStep::Replace, "manualorder.log", error);
        EXPECT_TRUE(state.save(known, {"9;O;1", "8;O;1"}) == StateFiles::Saved::Waiting) << describe(error);
        state.retryWaiting();
        EXPECT_EQ(readBytes(known), before);
        EXPECT_EQ(waitingContent(), after);
        files.heal();
        state.retryWaiting();
        EXPECT_EQ(readBytes(known), after);
        EXPECT_EQ(folder.fileCount(), 1);  // no temporary file left beside it
    }
    EXPECT_EQ(boxes.shown.size(), 3u);  // once per fault, naming the file
    EXPECT_NE(boxes.shown.back().text.find("manualorder.log"), std::string::npos);
}

// A real lock: another program holds the file without sharing it.
TEST_F(StateFileCheck, AFileHeldByAnotherProgramWaitsAndIsWrittenOnceReleased) {
    writeBytes(known, "9;O;1\r\n");
    UniqueHandle holder(CreateFileW(utf8ToWide(known).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_TRUE(state.save(known, {"9;O;2"}) == StateFiles::Saved::Waiting);
    EXPECT_EQ(waitingContent(), "9;O;2\r\n");
    holder = UniqueHandle();
    EXPECT_EQ(readBytes(known), "9;O;1\r\n");
    state.retryWaiting();
    EXPECT_EQ(readBytes(known), "9;O;2\r\n");
    EXPECT_EQ(folder.fileCount(), 1);  // the failed attempt left no temporary file
    EXPECT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
}  // namespace kv::platform::win32::checks
