#pragma once
// Shared by the fuzz targets: how a broken property stops the run. (fuzz/run.sh
// puts the machines of targets that drive the real program on a memory disk.)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// libFuzzer keeps the input that made a property fail.
inline void require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

inline bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Lines written to a file read back the same, except when the file then
// starts with a byte-order mark (its first line began with one): the reader
// takes it for the file's own. No writer of the program produces such a
// line, so these inputs are left out of the round trips.
inline bool startsWithByteOrderMark(std::string_view bytes) {
    return startsWith(bytes, "\xEF\xBB\xBF") || startsWith(bytes, "\xFF\xFE");
}

// A Data\LoginChk.dat entry read as "kind;value;text"; a missing ";" leaves
// the rest in the later fields. Entries of 0 or 1 characters are not split
// at all: the fields keep what the entry before left in them.
struct LoginChkFields {
    std::string kind, value, text;
};

inline void splitLoginChkEntry(const std::string& entry, LoginChkFields& fields) {
    if (entry.size() <= 1) return;
    const auto first = entry.find(';');
    if (first == std::string::npos) {
        fields = {entry, entry, entry};
        return;
    }
    const auto second = entry.find(';', first + 1);
    fields.kind = entry.substr(0, first);
    fields.value = entry.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    fields.text = second == std::string::npos ? fields.value : entry.substr(second + 1);
}

}  // namespace fuzz
