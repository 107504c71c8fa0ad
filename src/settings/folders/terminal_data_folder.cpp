#include "settings/folders/terminal_data_folder.h"

#include "platform/text_encoding.h"
#include "platform/utf8_text.h"
#include "settings/folders/comparable_folder.h"
#include "settings/folders/md5.h"

namespace kv {

std::string terminalDataFolderName(platform::SystemText& system, const std::string& terminalFolder) {
    std::string bytes;
    for (char16_t unit : comparableFolder(platform::utf16FromUtf8(terminalFolder), system)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return md5Hex(bytes);
}

std::string terminalDataRoot(platform::FileSystem& files) {
    const std::string roaming = files.roamingAppDataFolder();
    return roaming.empty() ? std::string() : roaming + "\\MetaQuotes\\Terminal";
}

// The terminal writes origin.txt in UTF-16LE; a trader's hand may have left it UTF-8 or in the code page.
std::optional<std::u16string> originFolder(platform::FileSystem& files, platform::SystemText& system,
                                           const std::string& dataFolder) {
    std::string origin;
    if (files.readAll(dataFolder + "\\origin.txt", origin) != platform::FileError::None) return std::nullopt;
    return trimmedFolder(
        platform::utf16FromText(origin, platform::encodingOf(origin, platform::UnmarkedUtf8::IsUtf8), system));
}

std::vector<std::string> terminalDataFolders(platform::FileSystem& files, platform::SystemText& system,
                                             const std::string& terminalFolder) {
    const std::u16string wanted = comparableFolder(platform::utf16FromUtf8(terminalFolder), system);
    if (wanted.empty()) return {};
    const std::string terminal = terminalDataRoot(files);
    if (terminal.empty()) return {};  // no such folder for this user: no data folders either
    const auto names = files.subfolders(terminal);
    if (!names) return {};

    std::vector<std::string> found;
    for (const std::string& name : *names) {
        const std::string folder = terminal + "\\" + name;
        const auto origin = originFolder(files, system, folder);
        if (origin && comparableFolder(*origin, system) == wanted) found.push_back(folder);
    }
    if (!found.empty()) return found;

    const std::string named = terminalDataFolderName(system, terminalFolder);
    for (const std::string& name : *names)
        if (comparableFolder(platform::utf16FromUtf8(name), system) == platform::utf16FromUtf8(named))
            return {terminal + "\\" + name};
    return {};
}

}  // namespace kv
