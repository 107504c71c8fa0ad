#include "data_folder.h"

#include <cctype>
#include <fstream>
#include <stdexcept>

#include "platform/utf8_text.h"
#include "settings/folders/md5.h"

namespace kvterminal {

namespace {

std::string utf16le(const std::string& utf8) {
    std::string bytes;
    for (const char16_t unit : kv::platform::utf16FromUtf8(utf8)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

}  // namespace

std::filesystem::path makeDataFolder(const std::filesystem::path& roaming, const std::string& mt4Folder) {
    std::string folder = mt4Folder;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    // Only ASCII letters are upper-cased here, so a name outside ASCII may
    // give another id than MT4's; origin.txt still names the folder.
    std::string upper = folder;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto data = roaming / "MetaQuotes" / "Terminal" / kv::md5Hex(utf16le(upper));
    const auto files = data / "MQL4" / "Files";
    std::filesystem::create_directories(files);
    std::ofstream origin(data / "origin.txt", std::ios::binary | std::ios::trunc);
    origin << "\xFF\xFE" << utf16le(folder);
    if (!origin.flush()) throw std::runtime_error("cannot write origin.txt in the data folder");
    return files;
}

}  // namespace kvterminal
