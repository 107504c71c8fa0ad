#include "common/terminal_site.h"

#include "platform/utf8_text.h"
#include "settings/folders/comparable_folder.h"
#include "settings/folders/md5.h"
#include "settings/folders/terminal_files_folder.h"

namespace kv {

const std::string& TerminalSite::folder() const {
    return first() ? main_.pathname : main_.otherTerminals[index_ - 1].folder;
}

MetaTrader TerminalSite::kind() const { return first() ? main_.terminal : main_.otherTerminals[index_ - 1].kind; }

std::string& TerminalSite::filesFolder() {
    return first() ? main_.pathname1 : main_.otherTerminals[index_ - 1].filesFolder;
}

const std::string& TerminalSite::filesFolder() const {
    return first() ? main_.pathname1 : main_.otherTerminals[index_ - 1].filesFolder;
}

// Another terminal with no trade system of its own yet goes to the login's.
const std::string& TerminalSite::systemId() const {
    if (first()) return module_.systemId;
    const std::string& own = main_.otherTerminals[index_ - 1].systemId;
    return own.empty() ? module_.systemId : own;
}

std::string TerminalSite::label() const {
    std::string name = folder();
    while (!name.empty() && name.back() == '\\') name.pop_back();
    const auto cut = name.find_last_of('\\');
    if (cut != std::string::npos) name.erase(0, cut + 1);
    return std::string(shortTerminalName(kind())) + " " + name;
}

std::string TerminalSite::systemOrderLogPath() const { return orderLogIn(filesFolder()); }
std::string TerminalSite::manualOrderLogPath() const { return knownOrdersIn(filesFolder()); }

std::string TerminalSite::closedJournalPath(const platform::Platform& platform) const {
    return closedJournalOf(platform, key_);
}

std::string TerminalSite::startupStampPath(const platform::Platform& platform) const {
    return platform.dataFile(first() ? "TempInit.dat" : "TempInit-" + key_ + ".dat");
}

std::string terminalKey(platform::SystemText& system, const std::string& folder, MetaTrader kind) {
    const std::string comparable = platform::utf8FromUtf16(comparableFolder(platform::utf16FromUtf8(folder), system));
    return md5Hex(comparable + (kind == MetaTrader::Five ? "|5" : "|4")).substr(0, 8);
}

std::string knownOrdersIn(const std::string& filesFolder) { return filesFolder + "\\manualorder.log"; }

std::string closedJournalOf(const platform::Platform& platform, const std::string& key) {
    return platform.dataFile(key.empty() ? "TempClose.dat" : "TempClose-" + key + ".dat");
}

std::string activeLogPath(const platform::Platform& platform) { return platform.dataFile("Active.log"); }

}  // namespace kv
