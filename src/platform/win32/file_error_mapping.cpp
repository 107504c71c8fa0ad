#include "platform/win32/file_error_mapping.h"

#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

FileError fileErrorFrom(unsigned long windowsError) {
    switch (windowsError) {
        case ERROR_SUCCESS: return FileError::None;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
            return FileError::NotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileError::Locked;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return FileError::AccessDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileError::DiskFull;
        default: return FileError::Other;
    }
}

bool isTransientFileError(unsigned long windowsError) {
    return windowsError == ERROR_ACCESS_DENIED || windowsError == ERROR_SHARING_VIOLATION ||
           windowsError == ERROR_LOCK_VIOLATION;
}

void pauseBeforeRetry(unsigned long milliseconds) { Sleep(milliseconds); }

}  // namespace kv::platform::win32
