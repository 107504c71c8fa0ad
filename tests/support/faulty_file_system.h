#pragma once
#include <cctype>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kvtest {

using kv::platform::FileError;

// Thrown from a file step or from the service to stop the program dead, as a
// power cut or a killed process would: its files stay as they are.
struct Killed {};

// The steps of the file interface a fault can hit.
enum class FileStep { Read, Replace, Append, Probe };  // Probe: whether a folder can be written

inline const char* stepName(FileStep step) {
    switch (step) {
        case FileStep::Read: return "read";
        case FileStep::Replace: return "replace";
        case FileStep::Append: return "append";
        case FileStep::Probe: return "probe";
    }
    return "?";
}

// Any file system, with chosen steps made to fail once or every time (or to
// kill the program there), the way LevelDB's EnvWrapper and SQLite's test VFS
// put faults in front of the real thing. A failed step never reaches the
// real file system, so what is on disk is what was there before the step.
class FaultyFileSystem : public kv::platform::FileSystem {
public:
    explicit FaultyFileSystem(kv::platform::FileSystem& real) : real_(real) {}

    // `file` is the name at the end of the path ("TempClose.dat", any case);
    // empty matches every file.
    void fail(FileStep step, const std::string& file, FileError error) { rules_.push_back({step, file, error, false}); }
    void failOnce(FileStep step, const std::string& file, FileError error) { rules_.push_back({step, file, error, true}); }
    // The program dies the first time it reaches the step.
    void kill(FileStep step, const std::string& file) { rules_.push_back({step, file, FileError::None, true, true}); }
    void refuseWrites(const std::string& file) {
        fail(FileStep::Replace, file, FileError::AccessDenied);
        fail(FileStep::Append, file, FileError::AccessDenied);
    }
    void heal() { rules_.clear(); }

    // For faults no rule describes: the error for a step (None lets it pass);
    // asked before the rules, and it may throw Killed.
    std::function<FileError(FileStep step, const std::string& path)> decide;

    // Steps that reached the real file system, by kind.
    int done(FileStep step) const { return done_[static_cast<int>(step)]; }

    FileError readAll(const std::string& path, std::string& bytes) override {
        return passes(FileStep::Read, path) ? real_.readAll(path, bytes) : failure_;
    }
    FileError replaceAtomically(const std::string& path, const std::string& bytes) override {
        return passes(FileStep::Replace, path) ? real_.replaceAtomically(path, bytes) : failure_;
    }
    FileError append(const std::string& path, const std::string& bytes) override {
        return passes(FileStep::Append, path) ? real_.append(path, bytes) : failure_;
    }
    FileError probeWritable(const std::string& folder) override {
        return passes(FileStep::Probe, folder) ? real_.probeWritable(folder) : failure_;
    }
    std::string lookup(const std::string& path) override { return real_.lookup(path); }
    std::string fromUtf16(const std::u16string& text) override { return real_.fromUtf16(text); }
    std::u16string toUtf16(const std::string& text) override { return real_.toUtf16(text); }
    std::optional<std::vector<std::string>> subfolders(const std::string& folder) override {
        return real_.subfolders(folder);
    }
    std::optional<std::chrono::system_clock::time_point> lastWriteTime(const std::string& path) override {
        return real_.lastWriteTime(path);
    }
    std::string roamingAppDataFolder() override { return real_.roamingAppDataFolder(); }

private:
    struct Rule {
        FileStep step;
        std::string file;
        FileError error;
        bool once;
        bool kill = false;
    };

    static bool endsWith(const std::string& path, const std::string& file) {
        if (file.empty()) return true;
        if (path.size() <= file.size()) return false;
        const char before = path[path.size() - file.size() - 1];
        if (before != '\\' && before != '/') return false;
        for (std::size_t i = 0; i < file.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(path[path.size() - file.size() + i])) !=
                std::tolower(static_cast<unsigned char>(file[i])))
                return false;
        return true;
    }

    bool passes(FileStep step, const std::string& path) {
        failure_ = decide ? decide(step, path) : FileError::None;
        for (auto rule = rules_.begin(); failure_ == FileError::None && rule != rules_.end(); ++rule) {
            if (rule->step != step || !endsWith(path, rule->file)) continue;
            const bool kill = rule->kill;
            failure_ = rule->error;
            if (rule->once) rules_.erase(rule);
            if (kill) throw Killed{};
            break;
        }
        if (failure_ != FileError::None) return false;
        ++done_[static_cast<int>(step)];
        return true;
    }

    kv::platform::FileSystem& real_;
    std::vector<Rule> rules_;
    FileError failure_ = FileError::None;
    int done_[4] = {};
};

}  // namespace kvtest
