#pragma once
#include <chrono>
#include <string>

#include "platform/headless/fake_clock.h"
#include "platform/headless/headless_ui.h"
#include "platform/headless/latin1_system_text.h"
#include "platform/headless/manual_timers.h"
#include "platform/headless/posix_file_system.h"
#include "platform/headless/recording_message_box.h"
#include "platform/headless/scripted_bundled_expert.h"
#include "platform/headless/scripted_folder_watch.h"
#include "platform/headless/scripted_web.h"
#include "platform/platform.h"

namespace kv::platform::headless {

// Every platform seam in memory, over a fresh temporary folder that stands
// for the folder of the executable (with its Data folder) and is removed at
// the end. The folder survives "program restarts" within one test.
class HeadlessPlatform {
public:
    HeadlessPlatform();
    ~HeadlessPlatform();
    HeadlessPlatform(const HeadlessPlatform&) = delete;
    HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

    PosixFileSystem files;
    Latin1SystemText text;
    FakeClock clock;
    RecordingMessageBox messages;
    ScriptedService service;
    ScriptedWebFetcherFactory web{service};
    ManualTimerFactory timers{clock};
    HeadlessWindowSystem windows;
    HeadlessTray tray;
    ScriptedPopupMenu menus;
    ScriptedFileDialog fileDialog;
    HeadlessProcess process;
    ScriptedFolderWatches folderWatch;
    ScriptedBundledExpert expert;

    Platform platform();
    // The same seams with another file system in front of the disk (a test's fault wrapper).
    Platform platform(FileSystem& filesInFront);

    const std::string& root() const { return root_; }  // POSIX path of the temporary folder
    std::string dataFile(const std::string& name) const { return root_ + "/Data/" + name; }

    // Small file helpers for tests (POSIX paths relative to the root).
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    void writeFile(const std::string& relative, const std::string& bytes) const;
    std::string readFile(const std::string& relative) const;  // empty when missing
    bool exists(const std::string& relative) const;
    void makeFolder(const std::string& relative) const;
    void setWriteTime(const std::string& relative, std::chrono::system_clock::time_point when) const;

private:
    std::string root_;
};

}  // namespace kv::platform::headless
