#include "relay/state_files.h"

#include <algorithm>
#include <cctype>

#include "platform/text_file.h"

namespace kv {

namespace {

// File names are matched without regard to case, so one file has one key.
std::string keyOf(const std::string& path) {
    std::string key = path;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace

StateFiles::StateFiles(const platform::Platform& platform, Notices& notices)
    : platform_(platform), writer_(platform, notices, "The old file is kept; it will be written again at the next poll.") {}

std::vector<StateFiles::Waiting>::iterator StateFiles::waitingFor(const std::string& path) {
    std::string key = keyOf(path);
    return std::find_if(waiting_.begin(), waiting_.end(), [&](const Waiting& w) { return w.key == key; });
}

void StateFiles::retryWaiting() {
    bool earlierWaiting = false;
    for (auto w = waiting_.begin(); w != waiting_.end();) {
        if ((w->afterEarlier && earlierWaiting) || !replace(w->path, w->lines)) {
            earlierWaiting = true;
            ++w;
        } else {
            w = waiting_.erase(w);
        }
    }
}

platform::FileError StateFiles::read(const std::string& path, std::string& bytes) {
    auto waiting = waitingFor(path);
    if (waiting != waiting_.end()) {
        bytes = platform::joinLines(waiting->lines);
        return platform::FileError::None;
    }
    // Its time taken before the read: a change in between shows as a newer time next time.
    const std::string key = keyOf(path);
    const auto written = platform_.files.lastWriteTime(path);
    const auto seen = seen_.find(key);
    if (written && seen != seen_.end() && seen->second.written == *written) {
        bytes = seen->second.bytes;
        return platform::FileError::None;
    }
    const platform::FileError error = platform_.files.readAll(path, bytes);
    if (error == platform::FileError::None && written)
        seen_[key] = Seen{*written, bytes};
    else
        seen_.erase(key);
    return error;
}

bool StateFiles::replace(const std::string& path, const std::vector<std::string>& lines) {
    seen_.erase(keyOf(path));
    return writer_.replace(path, lines);
}

StateFiles::Saved StateFiles::save(const std::string& path, const std::vector<std::string>& lines,
                                   const std::string* asRead) {
    return store(path, lines, asRead, false);
}

void StateFiles::saveAfterWaiting(const std::string& path, const std::vector<std::string>& lines) {
    store(path, lines, nullptr, true);
}

StateFiles::Saved StateFiles::store(const std::string& path, const std::vector<std::string>& lines,
                                    const std::string* asRead, bool afterEarlier) {
    auto waiting = waitingFor(path);
    if (waiting != waiting_.end()) {
        waiting->lines = lines;
        retryWaiting();
        return waitingFor(path) == waiting_.end() ? Saved::Written : Saved::Waiting;
    }
    if (asRead && *asRead == platform::joinLines(lines)) return Saved::Unchanged;
    bool mustWait = afterEarlier && !waiting_.empty();
    if (!mustWait && replace(path, lines)) return Saved::Written;
    waiting_.push_back({keyOf(path), path, lines, afterEarlier});
    return Saved::Waiting;
}

}  // namespace kv
