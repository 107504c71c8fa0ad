#pragma once
#include <string>

#include "soak_run.h"

namespace soak {

// The soak's figures as a markdown section. `withTime`: include how long it
// took (left out where two runs are compared).
std::string soakReport(const SoakFigures& figures, bool withTime = true);

}  // namespace soak
