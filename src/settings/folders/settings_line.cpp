#include "settings/folders/settings_line.h"

#include "platform/text_file.h"
#include "platform/utf8_text.h"

namespace kv {

namespace {
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string settingsText(platform::FileSystem& files, const std::string& bytes) {
    std::string text;
    if (const auto utf16 = platform::utf16LeStart(bytes))
        text = platform::utf8FromUtf16(platform::utf16LeUnits(bytes, *utf16));
    else if (bytes.starts_with(kUtf8Mark))
        text = platform::utf8FromUtf16(platform::utf16FromUtf8(std::string_view(bytes).substr(kUtf8Mark.size())));
    else
        text = platform::utf8FromUtf16(files.toUtf16(bytes));
    return text;
}
}  // namespace

std::string settingsLine(platform::FileSystem& files, const std::string& mt4Folder) {
    const std::u16string folder = platform::utf16FromUtf8(mt4Folder);
    const std::string codePage = files.fromUtf16(folder);
    // The way back tells a character that does not fit from one that does:
    // the code page writes "?" or a look-alike for it.
    if (files.toUtf16(codePage) == folder) return codePage;
    return std::string(kUtf8Mark) + mt4Folder;
}

std::vector<std::string> settingsLines(platform::FileSystem& files, const std::string& mt4Folder, MetaTrader terminal) {
    std::vector<std::string> lines{settingsLine(files, mt4Folder)};
    if (terminal == MetaTrader::Five) lines.emplace_back(terminalProgram(terminal));
    return lines;
}

std::optional<std::string> mt4FolderFromSettings(platform::FileSystem& files, const std::string& bytes) {
    const std::string text = settingsText(files, bytes);
    if (text.empty()) return std::nullopt;
    return text.substr(0, text.find('\r'));
}

MetaTrader terminalFromSettings(platform::FileSystem& files, const std::string& bytes) {
    const std::string text = settingsText(files, bytes);
    auto second = text.find('\r');
    if (second == std::string::npos) return MetaTrader::Four;
    second += text.compare(second, 2, "\r\n") == 0 ? 2 : 1;
    const std::string line = text.substr(second, text.find('\r', second) - second);
    return line == terminalProgram(MetaTrader::Five) ? MetaTrader::Five : MetaTrader::Four;
}

}  // namespace kv
