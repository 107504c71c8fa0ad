// The simulated session's own history, one line per event, for the
// end-to-end test, the benchmark and the demo to set beside what the relay
// reported:
//   <wall clock, microseconds since 1970> <what> [<ticket> <order type> [<why closed>]]
// what: Opened, Modified, Filled, Closed, Deleted, Expired for a ticket (on
// MT5, an order line); why closed: partly (MT4), reversed (MT5 netting),
// at-stop-loss, at-take-profit, by-trader;
// Written (the expert replaced the log, after the changes told before it),
// Restarted (the terminal closed and started again), Disconnected and
// Reconnected, Held and Resumed (trading paused and taken up again), End.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim_terminal.h"

namespace kvterminal {

std::int64_t wallMicros();

class SessionRecord {
public:
    SessionRecord(const std::filesystem::path& file, bool mt5);

    // The terminal's events not written yet, stamped with the time now.
    void catchUp(const std::vector<mtsim::TicketEvent>& events);
    void note(const std::string& what);

private:
    void line(std::int64_t micros, const std::string& text);

    std::ofstream out_;
    bool mt5_;
    std::size_t told_ = 0;
};

}  // namespace kvterminal
