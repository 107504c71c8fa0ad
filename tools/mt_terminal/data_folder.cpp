#include "data_folder.h"

#include <fstream>
#include <stdexcept>

#include "platform/utf8_text.h"
#include "settings/folders/md5.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kvterminal {

namespace {

// The terminal upper-cases the folder by Windows' own rules, which know every
// script; elsewhere only ASCII letters are, so a name outside ASCII may give
// another id there (origin.txt still names the folder).
std::u16string upperCased(std::u16string text) {
#ifdef _WIN32
    CharUpperBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
#else
    for (char16_t& unit : text)
        if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
#endif
    return text;
}

std::string utf16le(const std::u16string& text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

}  // namespace

std::filesystem::path makeDataFolder(const std::filesystem::path& roaming, const std::string& terminalFolder,
                                     const std::string& mql) {
    std::string folder = terminalFolder;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    const std::u16string wide = kv::platform::utf16FromUtf8(folder);
    const auto data = roaming / "MetaQuotes" / "Terminal" / kv::md5Hex(utf16le(upperCased(wide)));
    const auto files = data / mql / "Files";
    std::filesystem::create_directories(files);
    std::ofstream origin(data / "origin.txt", std::ios::binary | std::ios::trunc);
    origin << "\xFF\xFE" << utf16le(wide);
    if (!origin.flush()) throw std::runtime_error("cannot write origin.txt in the data folder");
    return files;
}

}  // namespace kvterminal
