#include "settings/folders/terminal_files_folder.h"

#include <optional>

#include "settings/folders/terminal_data_folder.h"

namespace kv {

namespace {

using Instant = std::chrono::system_clock::time_point;
constexpr auto kQuietFor = std::chrono::minutes(1);

struct WrittenLog {
    std::string folder;
    Instant written;
};

std::optional<WrittenLog> newestLog(platform::FileSystem& files, const std::vector<std::string>& folders) {
    std::optional<WrittenLog> newest;
    for (const std::string& folder : folders)
        if (auto written = files.lastWriteTime(orderLogIn(folder)); written && (!newest || *written > newest->written))
            newest = WrittenLog{folder, *written};
    return newest;
}

}  // namespace

std::string legacyFilesFolder(const std::string& mt4Folder) { return mt4Folder + "experts\\files"; }

std::string orderLogIn(const std::string& filesFolder) { return filesFolder + "\\systemorder.log"; }

std::vector<std::string> TerminalFilesFolder::candidates(const std::string& terminalFolder, MetaTrader terminal) {
    const std::string files = std::string(mqlFolder(terminal)) + "\\Files";
    std::vector<std::string> folders;
    for (const std::string& data : terminalDataFolders(files_, text_, terminalFolder))
        folders.push_back(data + "\\" + files);
    folders.push_back(terminalFolder + files);
    if (terminal == MetaTrader::Four) folders.push_back(legacyFilesFolder(terminalFolder));
    return folders;
}

std::string TerminalFilesFolder::choose(const std::string& terminalFolder, MetaTrader terminal) {
    return chooseAmong(candidates(terminalFolder, terminal));
}

std::string TerminalFilesFolder::chooseAmong(const std::vector<std::string>& folders) {
    if (auto newest = newestLog(files_, folders)) return newest->folder;
    for (const std::string& folder : folders)
        if (files_.subfolders(folder)) return folder;
    return folders.back();
}

// Each move makes the engine start afresh, so two logs that both keep
// changing must never make it swing between them.
std::string TerminalFilesFolder::recheck(const std::string& terminalFolder, MetaTrader terminal,
                                         const std::string& current) {
    const std::vector<std::string> folders = candidates(terminalFolder, terminal);
    std::vector<std::string> others = folders;
    // A folder that was not found this way is not this rule's to leave.
    if (std::erase(others, current) == 0) return current;
    const auto own = files_.lastWriteTime(orderLogIn(current));
    if (!own) return chooseAmong(folders);
    const Instant now = clock_.utcNow();
    if (now - *own <= kQuietFor) return current;
    const auto newest = newestLog(files_, others);
    if (newest && newest->written > *own && now - newest->written <= kQuietFor) return newest->folder;
    return current;
}

std::string TerminalFilesFolder::describe(const std::string& terminalFolder, MetaTrader terminal) {
    const std::string folder = choose(terminalFolder, terminal);
    const std::string found = std::string(terminalName(terminal)) + " found. ";
    if (!files_.lookup(orderLogIn(folder)).empty()) return found + "Orders are read from " + orderLogIn(folder);
    return found + "No systemorder.log yet: the expert must write it into " + folder;
}

}  // namespace kv
