// Our expert, KorvaneVantor.mq4, compiled as C++ against the MQL4 runtime:
// one fresh copy per call, for one chart.
#pragma once
#include "sim_expert.h"

std::unique_ptr<mt4sim::Expert> makeKorvaneVantorExpert();
