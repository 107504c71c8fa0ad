#include "settings/expert/expert_placement.h"

#include <algorithm>
#include <cctype>

namespace kv {

namespace {

using Outcome = ExpertPlacement::Outcome;
using platform::FileError;

bool endsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::string expertsFolderOf(const std::string& filesFolder) {
    const auto cut = filesFolder.find_last_of('\\');
    const std::string parent = cut == std::string::npos ? std::string() : filesFolder.substr(0, cut);
    return endsWithNoCase(parent, "experts") ? parent : parent + "\\Experts";
}

ExpertPlacement::ExpertPlacement(const platform::Platform& platform, const TerminalSite& site)
    : platform_(platform), site_(site) {}

void ExpertPlacement::lookAgain() {
    const Outcome last = result_.outcome;
    if (site_.filesFolder() != result_.filesFolder || last == Outcome::NoExpertsFolder || last == Outcome::Failed ||
        last == Outcome::OtherKept)
        place();
}

void ExpertPlacement::place() {
    result_ = Result{};
    result_.terminal = site_.kind();
    result_.filesFolder = site_.filesFolder();
    if (result_.filesFolder.empty()) return;
    result_.expertsFolder = expertsFolderOf(result_.filesFolder);
    placeInto(result_.expertsFolder);
}

// The terminal makes its experts folder at its first start; one that is missing is
// never made here, as the files folder it was found from may be a guess.
void ExpertPlacement::placeInto(const std::string& folder) {
    platform::FileSystem& files = platform_.files;
    const std::string carried = platform_.expert.bytes(expertFile(result_.terminal));
    if (carried.empty()) {
        result_.outcome = Outcome::NotCarried;
        return;
    }
    if (!files.subfolders(folder)) {
        result_.outcome = Outcome::NoExpertsFolder;
        return;
    }
    const std::string path = folder + "\\" + expertFile(result_.terminal);
    std::string found;
    const FileError read = files.readAll(path, found);
    if (read == FileError::None)
        result_.outcome = judge(found, carried);
    else
        result_.outcome = read == FileError::NotFound ? Outcome::Written : Outcome::Failed;
    result_.error = read == FileError::NotFound ? FileError::None : read;
    if (result_.outcome != Outcome::Written && result_.outcome != Outcome::Replaced) return;
    result_.error = files.replaceAtomically(path, carried);
    if (result_.error != FileError::None) result_.outcome = Outcome::Failed;
}

// A file already there is replaced only when it is an older version of ours.
ExpertPlacement::Outcome ExpertPlacement::judge(const std::string& found, const std::string& carried) {
    const ExpertIdentity there = identifyExpert(found, platform_.text);
    const ExpertIdentity ours = identifyExpert(carried, platform_.text);
    result_.foundVersion = there.versionText;
    if (found == carried || (there.ours && there.version && there.version == ours.version))
        return Outcome::AlreadyThere;
    if (!there.ours) return Outcome::OtherKept;
    if (!there.version || !ours.version || *there.version > *ours.version) return Outcome::OursKept;
    return Outcome::Replaced;
}

}  // namespace kv
