#include "settings/folders/settings_line.h"

#include "platform/text_encoding.h"
#include "platform/utf8_text.h"

namespace kv {

// Older copies wrote the code page only: a file without a mark is in it.
std::string settingsFileText(platform::SystemText& system, const std::string& bytes) {
    const auto encoding = platform::encodingOf(bytes, platform::UnmarkedUtf8::IsCodePage);
    return platform::utf8FromUtf16(platform::utf16FromText(bytes, encoding, system));
}

std::optional<std::string> codePageIfItFits(platform::SystemText& system, const std::string& text) {
    const std::u16string wide = platform::utf16FromUtf8(text);
    std::string codePage = system.codePageFromUtf16(wide);
    // The way back tells a character that does not fit from one that does:
    // the code page writes "?" or a look-alike for it.
    if (system.utf16FromCodePage(codePage) == wide) return codePage;
    return std::nullopt;
}

std::string settingsLine(platform::SystemText& system, const std::string& terminalFolder) {
    return codePageIfItFits(system, terminalFolder).value_or(kUtf8ByteOrderMark + terminalFolder);
}

std::vector<std::string> settingsLines(platform::SystemText& system, const std::string& terminalFolder,
                                       MetaTrader terminal) {
    std::vector<std::string> lines{settingsLine(system, terminalFolder)};
    if (terminal == MetaTrader::Five) lines.emplace_back(terminalProgram(terminal));
    return lines;
}

std::optional<std::string> terminalFolderFromSettings(platform::SystemText& system, const std::string& bytes) {
    const std::string text = settingsFileText(system, bytes);
    if (text.empty()) return std::nullopt;
    return text.substr(0, text.find('\r'));
}

MetaTrader terminalFromSettings(platform::SystemText& system, const std::string& bytes) {
    const std::string text = settingsFileText(system, bytes);
    auto second = text.find('\r');
    if (second == std::string::npos) return MetaTrader::Four;
    second += text.compare(second, 2, "\r\n") == 0 ? 2 : 1;
    const std::string line = text.substr(second, text.find('\r', second) - second);
    return line == terminalProgram(MetaTrader::Five) ? MetaTrader::Five : MetaTrader::Four;
}

}  // namespace kv
