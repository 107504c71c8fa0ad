// Our experts compiled as C++, each against its language's runtime: one
// fresh copy per call, for one chart. KorvaneVantor.mq4 is in kvmt4expert,
// KorvaneVantor.mq5 in kvmt5expert.
#pragma once
#include "sim_expert.h"

std::unique_ptr<mtsim::Expert> makeKorvaneVantorExpert();
std::unique_ptr<mtsim::Expert> makeKorvaneVantorExpert5();
