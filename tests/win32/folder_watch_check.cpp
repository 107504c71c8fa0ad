#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "check_support.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_folder_watch.h"

namespace kv::platform::win32::checks {
namespace {

// Waits, as the message loop does, until the watches have told something or
// `milliseconds` have passed.
void hear(Win32FolderWatchFactory& watches, unsigned milliseconds) {
    const DWORD until = GetTickCount() + milliseconds;
    for (DWORD now = GetTickCount(); now < until; now = GetTickCount()) {
        const std::vector<HANDLE> events = watches.events();
        if (events.empty()) return;
        const DWORD woke = WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, until - now);
        if (woke >= WAIT_OBJECT_0 + events.size()) return;
        watches.signalled(events[woke - WAIT_OBJECT_0]);
    }
}

TEST(Win32FolderWatch, TellsTheNamesOfWrittenAndReplacedFilesUntilItEnds) {
    ScratchFolder folder;
    Win32FolderWatchFactory watches;
    std::vector<std::string> names;
    std::vector<std::string> renamedIn;
    auto watch = watches.watch(folder.path(), [&](const std::string& name, FolderChange how) {
        (how == FolderChange::RenamedIn ? renamedIn : names).push_back(name);
    });
    const auto heard = [&names](const char* name) { return std::ranges::find(names, name) != names.end(); };
    ASSERT_TRUE(watch != nullptr);

    writeBytes(folder.file("SystemOrder.log"), "1;2\r\n");
    hear(watches, 2000);
    EXPECT_TRUE(heard("SystemOrder.log")) << names.size() << " names";
    EXPECT_TRUE(renamedIn.empty());

    // A replace as the expert and the relay make it: a temporary file renamed
    // over the old one arrives whole, and is told so.
    names.clear();
    Win32FileSystem files;
    EXPECT_TRUE(files.replaceAtomically(folder.file("SystemOrder.log"), "1;O;1\r\n") == FileError::None);
    hear(watches, 2000);
    EXPECT_EQ(renamedIn, std::vector<std::string>{"SystemOrder.log"});

    // A file that leaves is no write: the expert may be replacing its log.
    names.clear();
    DeleteFileW(utf8ToWide(folder.file("SystemOrder.log")).c_str());
    hear(watches, 300);
    EXPECT_FALSE(heard("SystemOrder.log"));

    watch.reset();  // nothing more is waited for, so nothing more is told
    EXPECT_TRUE(watches.events().empty());

    EXPECT_TRUE(watches.watch(folder.file("no such folder"), [](const std::string&, FolderChange) {}) == nullptr);
}

}  // namespace
}  // namespace kv::platform::win32::checks
