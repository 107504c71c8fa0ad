#include "settings/expert/expert_placement.h"

#include <algorithm>
#include <cctype>

#include "settings/folders/mt4_files_folder.h"

namespace kv {

namespace {

using Outcome = ExpertPlacement::Outcome;
using platform::FileError;

constexpr unsigned kLookEveryMs = 60 * 1000;

bool endsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// "2 s", "5 min", "3 h", "4 days": precise enough to tell a live log from a stale one.
std::string ageText(std::chrono::system_clock::duration age) {
    const long long seconds = std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(age).count());
    if (seconds < 120) return std::to_string(seconds) + " s";
    if (seconds < 120 * 60) return std::to_string(seconds / 60) + " min";
    if (seconds < 48 * 3600) return std::to_string(seconds / 3600) + " h";
    return std::to_string(seconds / 86400) + " days";
}

const char* shortName(MetaTrader terminal) { return terminal == MetaTrader::Five ? "MT5" : "MT4"; }

}  // namespace

std::string expertsFolderOf(const std::string& filesFolder) {
    const auto cut = filesFolder.find_last_of('\\');
    const std::string parent = cut == std::string::npos ? std::string() : filesFolder.substr(0, cut);
    return endsWithNoCase(parent, "experts") ? parent : parent + "\\Experts";
}

ExpertPlacement::ExpertPlacement(const platform::Platform& platform, const FrmMainMdi& main)
    : platform_(platform), main_(main) {}

void ExpertPlacement::start() {
    place();
    timer_ = platform_.timers.create([this] {
        if (main_.pathname1 != placedFor_ || outcome_ == Outcome::NoExpertsFolder || outcome_ == Outcome::Failed)
            place();
    });
    timer_->setInterval(kLookEveryMs);
    timer_->setEnabled(true);
}

void ExpertPlacement::place() {
    placedFor_ = main_.pathname1;
    terminal_ = main_.terminal;
    error_ = FileError::None;
    foundVersion_.clear();
    folder_ = placedFor_.empty() ? std::string() : expertsFolderOf(placedFor_);
    if (folder_.empty())
        outcome_ = Outcome::NotYet;
    else
        placeInto(folder_);
}

// The terminal makes its experts folder at its first start; one that is missing is
// never made here, as the files folder it was found from may be a guess.
void ExpertPlacement::placeInto(const std::string& folder) {
    platform::FileSystem& files = platform_.files;
    if (!files.subfolders(folder)) {
        outcome_ = Outcome::NoExpertsFolder;
        return;
    }
    const std::string carried = platform_.expert.bytes(expertFile(terminal_));
    const std::string path = folder + "\\" + expertFile(terminal_);
    std::string found;
    error_ = carried.empty() ? FileError::NotFound : files.readAll(path, found);
    if (error_ == FileError::None)
        outcome_ = judge(found, carried);
    else
        outcome_ = error_ == FileError::NotFound && !carried.empty() ? Outcome::Written : Outcome::Failed;
    if (outcome_ != Outcome::Written && outcome_ != Outcome::Replaced) return;
    error_ = files.replaceAtomically(path, carried);
    if (error_ != FileError::None) outcome_ = Outcome::Failed;
}

// A file already there is replaced only when it is an older version of ours.
ExpertPlacement::Outcome ExpertPlacement::judge(const std::string& found, const std::string& carried) {
    const ExpertIdentity there = identifyExpert(found, platform_.text);
    const ExpertIdentity ours = identifyExpert(carried, platform_.text);
    foundVersion_ = there.versionText;
    if (found == carried || (there.ours && there.version && there.version == ours.version))
        return Outcome::AlreadyThere;
    if (!there.ours) return Outcome::OtherKept;
    if (!there.version || !ours.version || *there.version > *ours.version) return Outcome::OursKept;
    return Outcome::Replaced;
}

std::string ExpertPlacement::describe() {
    const std::string file = expertFile(terminal_);
    const std::string terminal = shortName(terminal_);
    const std::string expert = "The expert " + file;
    switch (outcome_) {
        case Outcome::NotYet:
            return expert + " is put into MT4 once the MT4 folder is saved.";
        case Outcome::Written:
            return expert + " was put into " + folder_ + "." + logAge();
        case Outcome::Replaced:
            return expert + " in " + folder_ + " was updated to this program's version." + logAge();
        case Outcome::AlreadyThere:
            return expert + " is in place in " + folder_ + "." + logAge();
        case Outcome::OursKept:
            return expert + " in " + folder_ + " is kept: its version (" +
                   (foundVersion_.empty() ? std::string("none given") : foundVersion_) +
                   ") is not older than this program's." + logAge();
        case Outcome::OtherKept:
            return folder_ + "\\" + file +
                   " is not the Korvane - Vantor expert, so it was left as it is. Move it elsewhere, then Save "
                   "here again to have ours put there.";
        case Outcome::NoExpertsFolder:
            return terminal + " has no experts folder " + folder_ + " yet. Start " + terminal + " once (or check the " +
                   terminal + " folder above), then Save here again.";
        case Outcome::Failed:
            return "Could not put " + file + " into " + folder_ + " (" + platform::describe(error_) + "). Copy " + file +
                   " from " + platform_.exeFolder + " into " + folder_ + " by hand.";
    }
    return {};
}

// How recently the expert wrote. It rewrites its log when an order changes,
// so on a quiet account an old time need not mean a stopped expert.
std::string ExpertPlacement::logAge() {
    const auto written = platform_.files.lastWriteTime(orderLogIn(placedFor_));
    if (!written)
        return std::string(" It has not written its order log yet: drag it onto one chart in ") + shortName(terminal_) + ".";
    return " Its order log was written " + ageText(platform_.clock.utcNow() - *written) + " ago.";
}

}  // namespace kv
