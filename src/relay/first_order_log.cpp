#include "relay/first_order_log.h"

namespace kv {

// A log read in an earlier run left the engine's own record beside it.
bool FirstOrderLog::awaited() const {
    const ExpertPlacement::Result& placed = expert_.result();
    return placed.inPlace() && placed.filesFolder == site_.filesFolder() && !seenIn_.contains(site_.filesFolder()) &&
           files_.lookup(site_.manualOrderLogPath()).empty();
}

}  // namespace kv
