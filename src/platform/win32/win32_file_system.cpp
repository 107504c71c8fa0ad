#include "platform/win32/win32_file_system.h"

#include "platform/win32/file_error_mapping.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

namespace {

// Every open lets other programs go on reading, writing, renaming and
// deleting the file: our expert must never be blocked by the relay.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring folderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

DWORD writeAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (!bytes.empty() && !WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return GetLastError();
    return written == bytes.size() ? ERROR_SUCCESS : ERROR_DISK_FULL;
}

// Writes the whole content to a new file of that name and makes sure it is on
// the disk before anything is renamed over the old file.
DWORD writeDurably(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    if (DWORD error = writeAll(file.get(), bytes)) return error;
    return FlushFileBuffers(file.get()) ? ERROR_SUCCESS : GetLastError();
}

// A name of our own beside the target rather than GetTempFileNameW's, which
// fails for folders longer than MAX_PATH - 14 characters.
// One program writes one file at a time, so its process id and an attempt
// number (past leftovers of a process that died) make the name unique.
std::wstring temporaryBeside(const std::wstring& target, unsigned attempt) {
    wchar_t suffix[32];
    swprintf(suffix, std::size(suffix), L".%lx-%x.kvtmp", GetCurrentProcessId(), attempt);
    return target + suffix;
}

}  // namespace

FileError Win32FileSystem::readAll(const std::string& path, std::string& bytes) {
    UniqueHandle file(CreateFileW(utf8ToWide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return fileErrorFrom(GetLastError());

    std::string content;
    char buffer[64 * 1024];
    // Read to the end as it is now: a read that does not fill the buffer
    // reached it, so a log of the usual size takes one call.
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return fileErrorFrom(GetLastError());
        content.append(buffer, got);
        if (got < sizeof buffer) break;
    }
    bytes = std::move(content);
    return FileError::None;
}

FileError Win32FileSystem::replaceAtomically(const std::string& path, const std::string& bytes) {
    const std::wstring target = utf8ToWide(path);
    // The new content goes into a file of the same folder, so the final rename
    // stays on one volume and is atomic; the old file is never deleted first.
    std::wstring temp;
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; error == ERROR_FILE_EXISTS && attempt < 16; ++attempt) {
        temp = temporaryBeside(target, attempt);
        error = writeDurably(temp, bytes);
    }
    if (error != ERROR_SUCCESS) {
        if (error != ERROR_FILE_EXISTS) DeleteFileW(temp.c_str());
        // Windows and Wine disagree on the error for a folder that is not there.
        const bool folderMissing = GetFileAttributesW(folderOf(target).c_str()) == INVALID_FILE_ATTRIBUTES;
        return folderMissing ? FileError::NotFound : fileErrorFrom(error);
    }
    error = retryWhileTransient([&]() -> unsigned long {
        return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? ERROR_SUCCESS
                   : GetLastError();
    });
    if (error != ERROR_SUCCESS) DeleteFileW(temp.c_str());
    return fileErrorFrom(error);
}

FileError Win32FileSystem::append(const std::string& path, const std::string& bytes) {
    const std::wstring target = utf8ToWide(path);
    HANDLE opened = INVALID_HANDLE_VALUE;
    const DWORD openError = retryWhileTransient([&]() -> unsigned long {
        opened = CreateFileW(target.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
        return opened == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    });
    UniqueHandle file(opened);
    if (openError != ERROR_SUCCESS) return fileErrorFrom(openError);
    return fileErrorFrom(writeAll(file.get(), bytes));
}

FileError Win32FileSystem::probeWritable(const std::string& folder) {
    // Hidden and gone again when closed, whatever happens to the program.
    const std::wstring probe = utf8ToWide(folder) + L"\\~kvprobe" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    UniqueHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file ? FileError::None : fileErrorFrom(GetLastError());
}

std::string Win32FileSystem::lookup(const std::string& path) {
    // A name with wildcards would match some other file.
    if (path.find_first_of("*?") != std::string::npos) return {};
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(utf8ToWide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {};
    return utf8FromWide(found.cFileName);
}

}  // namespace kv::platform::win32
