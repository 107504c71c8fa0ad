#include "data_folder.h"

#include <cctype>
#include <fstream>
#include <stdexcept>

#include "settings/folders/md5.h"

namespace kvterminal {

namespace {

// 8-bit text widened byte by byte: exact for the ASCII paths the tests and
// the demo use; a real MT4 converts from the system code page.
std::string utf16le(const std::string& text) {
    std::string bytes;
    for (const char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

}  // namespace

std::filesystem::path makeDataFolder(const std::filesystem::path& roaming, const std::string& mt4Folder) {
    std::string folder = mt4Folder;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    std::string upper = folder;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto data = roaming / "MetaQuotes" / "Terminal" / kv::md5Hex(utf16le(upper));
    const auto files = data / "MQL4" / "Files";
    std::filesystem::create_directories(files);
    std::ofstream origin(data / "origin.txt", std::ios::binary | std::ios::trunc);
    origin << "\xFF\xFE" << utf16le(folder);
    if (!origin.flush()) throw std::runtime_error("cannot write " + (data / "origin.txt").string());
    return files;
}

}  // namespace kvterminal
