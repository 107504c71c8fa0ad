#pragma once
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "common/file_writer.h"
#include "platform/platform.h"

namespace kv {

// The engine's state files (manualorder.log, TempClose.dat, TempInit.dat).
// Each is replaced whole and atomically. A write that fails leaves the old
// file on disk, is told while it lasts, and waits: until it succeeds, reading
// the file gives the content that is waiting, so no acknowledged event is
// lost or reported twice.
class StateFiles {
public:
    StateFiles(const platform::Platform& platform, Notices& notices);

    // Tries again the writes still waiting; run at the start of every pass.
    void retryWaiting();

    // The file's bytes as the engine last meant them. NotFound when the file
    // is missing and nothing is waiting for it.
    platform::FileError read(const std::string& path, std::string& bytes);

    enum class Saved { Unchanged, Written, Waiting };

    // Writes the lines as the whole file, unless `asRead` (the bytes this
    // pass read from it) is exactly that content already.
    Saved save(const std::string& path, const std::vector<std::string>& lines, const std::string* asRead = nullptr);

    // Like save, but the file reaches the disk only after every file saved
    // before it that is still waiting.
    void saveAfterWaiting(const std::string& path, const std::vector<std::string>& lines);

private:
    struct Waiting {
        std::string key;
        std::string path;
        std::vector<std::string> lines;
        bool afterEarlier;
    };

    Saved store(const std::string& path, const std::vector<std::string>& lines, const std::string* asRead,
                bool afterEarlier);
    bool replace(const std::string& path, const std::vector<std::string>& lines);
    std::vector<Waiting>::iterator waitingFor(const std::string& path);

    platform::Platform platform_;
    FileWriter writer_;
    std::vector<Waiting> waiting_;  // in the order they were saved
    // What each file held when last read, and its time then: a file whose
    // time has not moved since is not read again. Our own writes forget it,
    // whatever the resolution of the disk's times.
    struct Seen {
        std::chrono::system_clock::time_point written;
        std::string bytes;
    };
    std::map<std::string, Seen> seen_;
};

}  // namespace kv
