#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/file_writer.h"

namespace kv {

// The engine's state files (manualorder.log, TempClose.dat, TempInit.dat).
// Each is replaced whole and atomically. A write that fails leaves the old
// file on disk, tells the trader once, and waits: until it succeeds, reading
// the file gives the content that is waiting, so no acknowledged event is
// lost or reported twice. A file that would get exactly the bytes this pass
// read from it is not written again.
class StateFiles {
public:
    explicit StateFiles(const platform::Platform& platform);

    // Starts a pass (a poll cycle, the start-up load): tries again the writes
    // still waiting and forgets what earlier passes read.
    void begin();

    // The file's lines as the engine last meant them. A missing file has none.
    platform::FileError read(const std::string& path, std::vector<std::string>& lines);

    void save(const std::string& path, const std::vector<std::string>& lines);

    // Like save, but the file reaches the disk only after every file saved
    // before it that is still waiting.
    void saveAfterWaiting(const std::string& path, const std::vector<std::string>& lines);

    bool waiting(const std::string& path) const;

private:
    struct Waiting {
        std::string key;
        std::string path;
        std::vector<std::string> lines;
        bool afterEarlier;
    };

    void store(const std::string& path, const std::vector<std::string>& lines, bool afterEarlier);
    void writeWaiting();

    platform::Platform platform_;
    FileWriter writer_;
    std::vector<Waiting> waiting_;              // in the order they were saved
    std::map<std::string, std::string> asRead_;  // bytes read in this pass, by file
};

}  // namespace kv
