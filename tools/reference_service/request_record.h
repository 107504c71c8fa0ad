#pragma once
#include <chrono>
#include <cstddef>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace refsvc {

// Every request target the service received, in arrival order, kept in
// memory for the tests to read and appended line by line to a file for
// whoever looks afterwards.
class RequestRecord {
public:
    // Throws std::runtime_error when the file cannot be opened for appending.
    explicit RequestRecord(const std::optional<std::string>& file, std::size_t limit = 100000);

    // False (and nothing recorded) once the record holds LIMIT requests.
    bool add(const std::string& target);

    // One target per line, each ended by "\n". With arrival times, each line
    // starts with the steady clock's microseconds (CLOCK_MONOTONIC on Linux,
    // the clock a benchmark on the same machine reads) and a blank.
    std::string text(bool withArrivalTimes = false) const;
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> targets_;
    std::vector<std::chrono::steady_clock::time_point> arrivals_;
    std::optional<std::ofstream> file_;
    std::size_t limit_;
};

}  // namespace refsvc
