#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_text.h"

namespace kv {

// The lines of systemorder.log, read so that a log caught half-way through a
// rewrite does not count. The expert ends every line with CR LF and rewrites
// the whole file, so text after the last line break is, as a rule, a line
// still being written, with fields cut short: it is held back. A later write
// that ends it ends the wait. Otherwise it is looked at again once the fields
// that decide an event (up to the order type) have stayed the same for a
// whole poll interval: with all fourteen fields it is an expert that does not
// end its last line, and is taken as it stands (its profit may move on); with
// fewer it is a write that died half-way, and is left out, since no field of
// it can be trusted. The start-up load and the poll cycle share one memory,
// so both judge the same text alike.
class OrderLogLines {
public:
    // now: the steady clock in milliseconds; settle: the poll interval.
    std::vector<std::string> take(const std::string& bytes, platform::SystemText& system, std::uint64_t now,
                                  std::uint64_t settle);

    // Whether the last take held a line back to see it again.
    bool holdingBack() const { return holdingBack_; }

private:
    std::string deciding_;  // the deciding fields of the unfinished line, as last seen
    std::uint64_t since_ = 0;
    bool holdingBack_ = false;
};

}  // namespace kv
