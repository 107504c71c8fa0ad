#include "settings/folders/installed_terminals.h"

#include <algorithm>
#include <cctype>

#include "platform/text_encoding.h"
#include "platform/utf8_text.h"
#include "settings/folders/comparable_folder.h"
#include "settings/folders/terminal_data_folder.h"

namespace kv {

namespace {

std::string thirdField(const std::string& line) {
    const auto first = line.find(';');
    const auto second = first == std::string::npos ? first : line.find(';', first + 1);
    if (second == std::string::npos) return {};
    return line.substr(second + 1, line.find(';', second + 1) - second - 1);
}

bool isNumber(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

// A line the expert is still writing has no line end yet, and may end inside the account.
std::string accountInOrderLog(const std::string& bytes, platform::SystemText& system) {
    const std::string text =
        platform::codePageFromText(bytes, platform::encodingOf(bytes, platform::UnmarkedUtf8::IsCodePage), system);
    for (std::size_t start = 0, end; (end = text.find('\r', start)) != std::string::npos; start = end + 1) {
        const std::string account = thirdField(text.substr(start, end - start));
        if (isNumber(account)) return account;
    }
    return {};
}

std::vector<InstalledTerminal> installedTerminals(platform::FileSystem& files, platform::SystemText& system,
                                                  TerminalFilesFolder& filesFolders) {
    const std::string root = terminalDataRoot(files);
    const auto names = root.empty() ? std::nullopt : files.subfolders(root);
    if (!names) return {};
    std::vector<InstalledTerminal> found;
    std::vector<std::u16string> seen;
    for (const std::string& name : *names) {
        const std::string dataFolder = root + "\\" + name;
        const auto origin = originFolder(files, system, dataFolder);
        if (!origin || origin->empty()) continue;
        const bool five = files.subfolders(dataFolder + "\\" + mqlFolder(MetaTrader::Five)).has_value();
        if (!five && !files.subfolders(dataFolder + "\\" + mqlFolder(MetaTrader::Four))) continue;
        InstalledTerminal terminal;
        terminal.folder = platform::utf8FromUtf16(*origin) + "\\";
        terminal.kind = five ? MetaTrader::Five : MetaTrader::Four;
        std::u16string comparable = comparableFolder(*origin, system);
        if (std::find(seen.begin(), seen.end(), comparable) != seen.end() ||
            files.lookup(terminal.folder + terminalProgram(terminal.kind)).empty())
            continue;
        seen.push_back(std::move(comparable));
        terminal.filesFolder = filesFolders.choose(terminal.folder, terminal.kind);
        std::string log;
        if (files.readAll(orderLogIn(terminal.filesFolder), log) == platform::FileError::None)
            terminal.account = accountInOrderLog(log, system);
        found.push_back(std::move(terminal));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.folder < b.folder; });
    return found;
}

}  // namespace kv
