#include "data_folder.h"

#include <cctype>
#include <fstream>
#include <iterator>
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

// The data folder an earlier start made for this installation: the one
// whose origin.txt names it, whatever the folder's own name.
std::filesystem::path existingDataFolder(const std::filesystem::path& terminals, const std::string& origin) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(terminals, error)) {
        std::ifstream file(entry.path() / "origin.txt", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (file && text == origin) return entry.path();
    }
    return {};
}

}  // namespace

std::filesystem::path makeDataFolder(const std::filesystem::path& roaming, const std::string& terminalFolder,
                                     const std::string& mql) {
    std::string folder = terminalFolder;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    const std::string origin = "\xFF\xFE" + utf16le(folder);
    const auto terminals = roaming / "MetaQuotes" / "Terminal";
    auto data = existingDataFolder(terminals, origin);
    if (data.empty()) {
        // Only ASCII letters are upper-cased here, so a name outside ASCII may
        // give another id than the terminal's; origin.txt still names the folder.
        std::string upper = folder;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        data = terminals / kv::md5Hex(utf16le(upper));
    }
    const auto files = data / mql / "Files";
    std::filesystem::create_directories(files);
    std::ofstream file(data / "origin.txt", std::ios::binary | std::ios::trunc);
    file << origin;
    if (!file.flush()) throw std::runtime_error("cannot write origin.txt in the data folder");
    return files;
}

}  // namespace kvterminal
