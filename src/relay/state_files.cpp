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

StateFiles::StateFiles(const platform::Platform& platform)
    : platform_(platform),
      writer_(platform, FileWriter::Repeat::OncePerFault,
              "The old file is kept; it will be written again at the next poll.") {}

void StateFiles::begin() {
    asRead_.clear();
    writeWaiting();
}

bool StateFiles::waiting(const std::string& path) const {
    std::string key = keyOf(path);
    return std::any_of(waiting_.begin(), waiting_.end(), [&](const Waiting& w) { return w.key == key; });
}

platform::FileError StateFiles::read(const std::string& path, std::vector<std::string>& lines) {
    std::string key = keyOf(path);
    for (const Waiting& w : waiting_)
        if (w.key == key) {
            lines = w.lines;
            return platform::FileError::None;
        }
    std::string bytes;
    platform::FileError error = platform_.files.readAll(path, bytes);
    lines.clear();
    if (error == platform::FileError::NotFound) return platform::FileError::None;
    if (error != platform::FileError::None) return error;
    lines = platform::splitLines(bytes, platform_.files);
    asRead_[key] = std::move(bytes);
    return error;
}

void StateFiles::save(const std::string& path, const std::vector<std::string>& lines) { store(path, lines, false); }

void StateFiles::saveAfterWaiting(const std::string& path, const std::vector<std::string>& lines) {
    store(path, lines, true);
}

void StateFiles::store(const std::string& path, const std::vector<std::string>& lines, bool afterEarlier) {
    std::string key = keyOf(path);
    auto same = std::find_if(waiting_.begin(), waiting_.end(), [&](const Waiting& w) { return w.key == key; });
    if (same != waiting_.end()) {
        same->lines = lines;
        writeWaiting();
        return;
    }
    auto read = asRead_.find(key);
    if (read != asRead_.end()) {
        bool unchanged = read->second == platform::joinLines(lines);
        asRead_.erase(read);
        if (unchanged) return;
    }
    bool mustWait = afterEarlier && !waiting_.empty();
    if (mustWait || !writer_.replace(path, lines)) waiting_.push_back({key, path, lines, afterEarlier});
}

void StateFiles::writeWaiting() {
    bool earlierWaiting = false;
    for (auto w = waiting_.begin(); w != waiting_.end();) {
        if ((w->afterEarlier && earlierWaiting) || !writer_.replace(w->path, w->lines)) {
            earlierWaiting = true;
            ++w;
        } else {
            w = waiting_.erase(w);
        }
    }
}

}  // namespace kv
