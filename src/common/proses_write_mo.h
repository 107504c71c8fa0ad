#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/relay_facts.h"
#include "platform/clock.h"
#include "platform/web_fetcher.h"

namespace kv {

// Values of the engine module that every part of the program reads and writes.
// Owned by the application, so each program run (and each test) starts fresh.
struct ProsesWriteMO {
    std::string systemId;                           // trade system the first terminal's orders are reported under
    std::vector<std::string> listedSystems;         // the ids of the trade systems the last login listed
    double userId = 0;                              // from the login reply; 0 after a refused login
    long loginDate = 0;                             // yyyymmdd of the last successful login
    std::optional<platform::DateTime> loginTime;    // time of the last successful login
    long reportCounter = 0;                         // lines appended to Data\Active.log this run
    std::string installFilePath;                    // scratch value of the first-run test

    int pollState = 0;                              // 2 when the last reading step found no order log
    int reportKind = 0;                             // 1 new, 0 modification, 2 close or delete
    std::unique_ptr<platform::WebFetcher> engineFetcher;  // created at the first report
    RelayFacts relayFacts;                          // what the requests showed, for the tray
};

}  // namespace kv
