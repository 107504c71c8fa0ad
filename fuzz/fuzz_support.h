#pragma once
// Shared by the fuzz targets: how a broken property stops the run. (fuzz/run.sh
// puts the machines of targets that drive the real program on a memory disk.)
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

// libFuzzer keeps the input that made a property fail.
inline void require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

// Lines written to a file read back the same, except when the file then
// starts with a byte-order mark (its first line began with one): the reader
// takes it for the file's own. No writer of the program produces such a
// line, so these inputs are left out of the round trips.
inline bool startsWithByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE");
}

}  // namespace fuzz
