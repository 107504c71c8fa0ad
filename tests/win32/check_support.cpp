#include "check_support.h"

#include <fstream>
#include <sstream>

#include "platform/win32/text_codec.h"

namespace kv::platform::win32::checks {

void pump(DialogWindowSystem* dialogs, unsigned milliseconds) {
    const ULONGLONG until = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (dialogs && dialogs->handleDialogMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(2);
    } while (GetTickCount64() < until);
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    const std::wstring folder = std::wstring(temp) + L"kvcheck" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                std::to_wstring(++counter);
    CreateDirectoryW(folder.c_str(), nullptr);
    path_ = toAnsi(folder);
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAW found;
    const std::wstring folder = toWide(path_);
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(full.c_str());
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

int ScratchFolder::fileCount() const {
    int count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((toWide(path_) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(toWide(path).c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(toWide(path).c_str(), std::ios::binary) << bytes;
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

}  // namespace kv::platform::win32::checks
