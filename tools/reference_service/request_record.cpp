#include "request_record.h"

#include <stdexcept>

namespace refsvc {

RequestRecord::RequestRecord(const std::optional<std::string>& file, std::size_t limit) : limit_(limit) {
    if (!file) return;
    file_.emplace(*file, std::ios::binary | std::ios::app);
    if (!*file_) throw std::runtime_error("cannot open the record file " + *file);
}

bool RequestRecord::add(const std::string& target) {
    std::lock_guard lock(mutex_);
    if (targets_.size() >= limit_) return false;
    targets_.push_back(target);
    arrivals_.push_back(std::chrono::steady_clock::now());
    if (file_) *file_ << target << '\n' << std::flush;
    return true;
}

std::string RequestRecord::text(bool withArrivalTimes) const {
    std::lock_guard lock(mutex_);
    std::string text;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        if (withArrivalTimes) {
            const auto since = arrivals_[i].time_since_epoch();
            text += std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(since).count()) + " ";
        }
        text += targets_[i] + "\n";
    }
    return text;
}

std::size_t RequestRecord::size() const {
    std::lock_guard lock(mutex_);
    return targets_.size();
}

}  // namespace refsvc
