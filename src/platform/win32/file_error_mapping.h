#pragma once
#include "platform/file_system.h"

namespace kv::platform::win32 {

// The core's reading of a Windows error code (GetLastError).
FileError fileErrorFrom(unsigned long windowsError);

// Sharing and lock violations, and the access denial that a file being
// replaced or scanned (by a virus scanner, an indexer) at that moment gives:
// worth a short retry.
bool isTransientFileError(unsigned long windowsError);

void pauseBeforeRetry(unsigned long milliseconds);

// Runs `attempt` (returning a Windows error code, 0 for success) again while
// it fails transiently, for about a fifth of a second in all.
template <class Attempt>
unsigned long retryWhileTransient(Attempt attempt) {
    constexpr int kRetries = 8;
    constexpr unsigned long kPauseMs = 25;
    unsigned long error = attempt();
    for (int i = 0; i < kRetries && isTransientFileError(error); ++i) {
        pauseBeforeRetry(kPauseMs);
        error = attempt();
    }
    return error;
}

}  // namespace kv::platform::win32
