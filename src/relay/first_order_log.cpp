#include "relay/first_order_log.h"

#include "relay/engine_files.h"

namespace kv {

// A log read in an earlier run left the engine's own record beside it.
bool FirstOrderLog::awaited() const {
    const ExpertPlacement::Result& placed = expert_.result();
    return placed.inPlace() && placed.filesFolder == main_.pathname1 && !seenIn_.contains(main_.pathname1) &&
           files_.lookup(manualOrderLogPath(main_)).empty();
}

}  // namespace kv
