#include "platform/win32/common_file_dialog.h"

#include "platform/win32/win32_api.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/text_codec.h"

namespace kv::platform::win32 {

std::optional<std::string> CommonFileDialog::choose(const std::string& title, const std::string& folder) {
    std::vector<wchar_t> path(32768, L'\0');
    // The terminal program first, so the trader finds it at once; any file
    // can still be chosen, and the full path goes back unchanged.
    static constexpr wchar_t kFilter[] = L"MetaTrader terminal (terminal.exe, terminal64.exe)\0terminal.exe;terminal64.exe\0All files (*.*)\0*.*\0";
    const std::wstring titleText = utf8ToWide(title);
    const std::wstring startFolder = utf8ToWide(folder);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = titleText.c_str();
    dialog.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return utf8FromWide(path.data());
}

}  // namespace kv::platform::win32
