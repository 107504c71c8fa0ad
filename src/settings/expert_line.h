#pragma once
#include <string>

#include "platform/platform.h"
#include "settings/expert/expert_placement.h"

namespace kv {

// What the settings window says about the program's expert, below the files folder.

// Which window tells it: the Setting window's Save places the expert again;
// for the terminals in the Terminals window it is looked at once a minute.
enum class PlacementShown { InSetting, InTerminals };

// How the placement for the saved folder went: where the expert is and how
// recently its order log was written, or what the trader must do by hand.
std::string placementLine(const ExpertPlacement::Result& placed, const platform::Platform& platform,
                          PlacementShown shown = PlacementShown::InSetting);

// For a folder typed but not saved yet: what Save will do.
std::string placementOnSave(MetaTrader terminal, const std::string& expertsFolder);

// With no terminal named at all.
std::string placementNotYet(MetaTrader terminal);

}  // namespace kv
