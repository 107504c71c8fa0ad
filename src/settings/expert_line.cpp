#include "settings/expert_line.h"

#include <algorithm>
#include <chrono>

#include "settings/folders/terminal_files_folder.h"

namespace kv {

namespace {

using Outcome = ExpertPlacement::Outcome;

// "2 s", "5 min", "3 h", "4 days": precise enough to tell a live log from a stale one.
std::string ageText(std::chrono::system_clock::duration age) {
    const long long seconds = std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(age).count());
    if (seconds < 120) return std::to_string(seconds) + " s";
    if (seconds < 120 * 60) return std::to_string(seconds / 60) + " min";
    if (seconds < 48 * 3600) return std::to_string(seconds / 3600) + " h";
    return std::to_string(seconds / 86400) + " days";
}

// How recently the expert wrote. It rewrites its log when an order changes,
// so on a quiet account an old time need not mean a stopped expert.
std::string logAge(const ExpertPlacement::Result& placed, const platform::Platform& platform) {
    const auto written = platform.files.lastWriteTime(orderLogIn(placed.filesFolder));
    if (!written)
        return std::string(" It has not written its order log yet: drag KorvaneVantor from the Navigator onto one "
                           "chart in ") + shortTerminalName(placed.terminal) + ".";
    return " Its order log was written " + ageText(platform.clock.utcNow() - *written) + " ago.";
}

}  // namespace

std::string placementNotYet(MetaTrader terminal) {
    const std::string name = shortTerminalName(terminal);
    return std::string("The expert ") + expertFile(terminal) + " is put into " + name + " once the " + name +
           " folder is saved.";
}

std::string placementOnSave(MetaTrader terminal, const std::string& expertsFolder) {
    return std::string("On Save, the expert ") + expertFile(terminal) + " is put into " + expertsFolder + ".";
}

std::string placementLine(const ExpertPlacement::Result& placed, const platform::Platform& platform,
                          PlacementShown shown) {
    const bool inSetting = shown == PlacementShown::InSetting;
    const std::string file = expertFile(placed.terminal);
    const std::string terminal = shortTerminalName(placed.terminal);
    const std::string& folder = placed.expertsFolder;
    const std::string expert = "The expert " + file;
    switch (placed.outcome) {
        case Outcome::NotYet:
            return placementNotYet(placed.terminal);
        case Outcome::Written:
            return expert + " was put into " + folder + "." + logAge(placed, platform);
        case Outcome::Replaced:
            return expert + " in " + folder + " was updated to this program's version." + logAge(placed, platform);
        case Outcome::AlreadyThere:
            return expert + " is in place in " + folder + "." + logAge(placed, platform);
        case Outcome::OursKept:
            return expert + " in " + folder + " is kept: its version (" +
                   (placed.foundVersion.empty() ? std::string("none given") : placed.foundVersion) +
                   ") is not older than this program's." + logAge(placed, platform);
        case Outcome::OtherKept:
            return folder + "\\" + file + " is not the Korvane - Vantor expert, so it was left as it is. Move it elsewhere" +
                   (inSetting ? ", then Save here again to have ours put there." : ": ours is put there within a minute.");
        case Outcome::NoExpertsFolder:
            return terminal + " has no experts folder " + folder + " yet. Start " + terminal + " once (or check the " +
                   terminal + " folder above)" +
                   (inSetting ? ", then Save here again." : ": the expert is put there within a minute.");
        case Outcome::NotCarried:
            return "This copy of Korvane - Vantor carries no " + file + ". Copy it from " + platform.exeFolder +
                   " into " + folder + " by hand, or install the program again.";
        case Outcome::Failed:
            return "Could not put " + file + " into " + folder + " (" + platform::describe(placed.error) + "). Copy " +
                   file + " from " + platform.exeFolder + " into " + folder + " by hand.";
    }
    return {};
}

}  // namespace kv
