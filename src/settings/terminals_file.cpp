#include "settings/terminals_file.h"

#include <algorithm>

#include "settings/folders/comparable_folder.h"
#include "settings/folders/settings_line.h"
#include "settings/folders/terminal_files_folder.h"
#include "platform/utf8_text.h"

namespace kv {

namespace {

constexpr char kSeparator = '|';

std::optional<MetaTrader> kindNamed(const std::string& name) {
    for (MetaTrader kind : {MetaTrader::Four, MetaTrader::Five})
        if (name == shortTerminalName(kind)) return kind;
    return std::nullopt;
}

bool isSystemId(const std::string& id) {
    return std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The terminal a well-formed line names.
std::optional<OtherTerminal> terminalOf(const std::string& line) {
    const auto first = line.find(kSeparator);
    const auto second = first == std::string::npos ? first : line.find(kSeparator, first + 1);
    if (second == std::string::npos) return std::nullopt;
    const auto kind = kindNamed(line.substr(first + 1, second - first - 1));
    std::string id = line.substr(0, first);
    std::string folder = line.substr(second + 1);
    if (!kind || !isSystemId(id) || trimmedFolder(platform::utf16FromUtf8(folder)).empty()) return std::nullopt;
    return OtherTerminal{std::move(folder), *kind, {}, std::move(id)};
}

}  // namespace

std::vector<std::string> terminalsLines(platform::SystemText& system, const std::vector<OtherTerminal>& terminals) {
    std::vector<std::string> lines;
    bool fits = true;
    for (const auto& terminal : terminals) {
        lines.push_back(terminal.systemId + kSeparator + shortTerminalName(terminal.kind) + kSeparator +
                        terminal.folder);
        fits = fits && codePageIfItFits(system, lines.back());
    }
    if (fits)
        for (auto& line : lines) line = *codePageIfItFits(system, line);
    else
        lines.front().insert(0, kUtf8ByteOrderMark);
    return lines;
}

TerminalsRead terminalsFromFile(platform::SystemText& system, const std::string& bytes,
                                const std::string& firstFolder) {
    const std::string text = settingsFileText(system, bytes);
    TerminalsRead read;
    std::vector<std::u16string> listed{comparableFolder(firstFolder, system)};
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        // No path holds a line end, so a lone LF of an editor ends a line too.
        const auto end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++number;
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        auto terminal = terminalOf(line);
        std::string reason = "not \"trade system id|MT4 or MT5|terminal folder\"";
        std::u16string comparable;
        if (terminal) comparable = comparableFolder(terminal->folder, system);
        if (terminal && std::find(listed.begin(), listed.end(), comparable) != listed.end()) {
            terminal.reset();
            reason = comparable == listed.front() ? "the first terminal, set in the Setting window"
                                                  : "a terminal of an earlier line";
        }
        if (!terminal) {
            read.skipped.push_back({number, line, reason});
            continue;
        }
        listed.push_back(std::move(comparable));
        read.terminals.push_back(std::move(*terminal));
    }
    return read;
}

TerminalsFile::TerminalsFile(const platform::Platform& platform)
    : platform_(platform),
      writer_(platform, "The terminals are relayed as the Terminals window shows them until the program "
                        "ends; at the next start as the file held them before.") {}

void TerminalsFile::load(FrmMainMdi& main) {
    main.otherTerminals.clear();
    std::string bytes;
    const platform::FileError error = platform_.files.readAll(path(), bytes);
    if (error == platform::FileError::NotFound) return;
    if (error != platform::FileError::None) {
        platform_.messages.showModal("Could not read the file " + path() + ": " + platform::describe(error) +
                                         ". Only the first terminal is relayed; a change in the Terminals window "
                                         "replaces the file.",
                                     platform::MessageIcon::Error);
        return;
    }
    TerminalsRead read = terminalsFromFile(platform_.text, bytes, main.pathname);
    TerminalFilesFolder folders(platform_.files, platform_.text, platform_.clock);
    for (auto& terminal : read.terminals) terminal.filesFolder = folders.choose(terminal.folder, terminal.kind);
    main.otherTerminals = std::move(read.terminals);
    if (!read.skipped.empty()) tellSkipped(read.skipped);
}

bool TerminalsFile::save(const FrmMainMdi& main) {
    return writer_.replace(path(), terminalsLines(platform_.text, main.otherTerminals));
}

void TerminalsFile::tellSkipped(const std::vector<SkippedLine>& skipped) {
    std::string text = "The file " + path() + " holds lines that name no terminal to relay. They are skipped; "
                       "every other terminal is relayed.";
    for (const auto& line : skipped)
        text += "\nLine " + std::to_string(line.number) + ": " + line.text + " (" + line.reason + ")";
    text += "\nAdd a skipped terminal again in the Terminals window; its next change rewrites the file.";
    platform_.messages.showModal(text, platform::MessageIcon::Error);
}

}  // namespace kv
