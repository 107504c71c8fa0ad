#include "platform/file_system.h"

namespace kv::platform {

const char* describe(FileError error) {
    switch (error) {
        case FileError::None: return "no error";
        case FileError::NotFound: return "the file or its folder does not exist";
        case FileError::Locked: return "another program holds the file";
        case FileError::AccessDenied: return "access is denied";
        case FileError::DiskFull: return "the disk is full";
        case FileError::Other: break;
    }
    return "the file could not be written";
}

}  // namespace kv::platform
