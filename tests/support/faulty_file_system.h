#pragma once
#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system_wrapper.h"

namespace kvtest {

using kv::platform::FileError;

// Thrown from a file step or the service: the program stops dead, its files as they are.
struct Killed {};

// The steps of the file interface a fault can hit.
enum class FileStep { Read, Replace, Append, Probe };  // Probe: whether a folder can be written

inline const char* stepName(FileStep step) {
    static const char* const names[] = {"read", "replace", "append", "probe"};
    return names[static_cast<int>(step)];
}

// Any file system, with chosen steps failing once or always, or killing the program. A
// failed step never reaches the real file system: the disk holds what was there before.
// Every other step goes to the real one unchanged.
class FaultyFileSystem : public kv::platform::FileSystemWrapper {
public:
    explicit FaultyFileSystem(kv::platform::FileSystem& real) : FileSystemWrapper(real) {}

    // `file`: the name at the end of the path ("TempClose.dat"), any case; empty: every file.
    void fail(FileStep step, const std::string& file, FileError error) { rules_.push_back({step, file, error, false}); }
    void failOnce(FileStep step, const std::string& file, FileError error) { rules_.push_back({step, file, error, true}); }
    // The program dies the first time it reaches the step.
    void kill(FileStep step, const std::string& file) { rules_.push_back({step, file, FileError::None, true, true}); }
    void refuseWrites(const std::string& file) {
        fail(FileStep::Replace, file, FileError::AccessDenied);
        fail(FileStep::Append, file, FileError::AccessDenied);
    }
    void heal() { rules_.clear(); }

    // Asked before the rules: the error for a step (None lets it pass); it may throw Killed.
    std::function<FileError(FileStep step, const std::string& path)> decide;

    FileError readAll(const std::string& path, std::string& bytes) override {
        return passes(FileStep::Read, path) ? FileSystemWrapper::readAll(path, bytes) : failure_;
    }
    FileError replaceAtomically(const std::string& path, const std::string& bytes) override {
        return passes(FileStep::Replace, path) ? FileSystemWrapper::replaceAtomically(path, bytes) : failure_;
    }
    FileError append(const std::string& path, const std::string& bytes) override {
        return passes(FileStep::Append, path) ? FileSystemWrapper::append(path, bytes) : failure_;
    }
    FileError probeWritable(const std::string& folder) override {
        return passes(FileStep::Probe, folder) ? FileSystemWrapper::probeWritable(folder) : failure_;
    }

private:
    struct Rule {
        FileStep step;
        std::string file;
        FileError error;
        bool once;
        bool kill = false;
    };

    // Whether the path names `file` (any case); an empty one matches every file.
    static bool names(const std::string& path, const std::string& file) {
        const std::string name = path.substr(path.find_last_of("/\\") + 1);
        return file.empty() || std::equal(name.begin(), name.end(), file.begin(), file.end(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    }

    bool passes(FileStep step, const std::string& path) {
        failure_ = decide ? decide(step, path) : FileError::None;
        for (auto rule = rules_.begin(); failure_ == FileError::None && rule != rules_.end(); ++rule) {
            if (rule->step != step || !names(path, rule->file)) continue;
            const bool kill = rule->kill;
            failure_ = rule->error;
            if (rule->once) rules_.erase(rule);
            if (kill) throw Killed{};
            break;
        }
        return failure_ == FileError::None;
    }

    std::vector<Rule> rules_;
    FileError failure_ = FileError::None;
};

}  // namespace kvtest
