#pragma once
#include <string>

namespace kv {

// Whether two order logs raise exactly the same events against the same
// known orders: line for line, the same fields up to field 5 (order number,
// state mark, stamp) and the same verdict on short lines. Only the figures
// after field 5 (prices, profit) may differ; the type decides only when the
// state changed. Both logs must be 8-bit text ended by a line break; any
// other log, even an equal one, answers false, to be read in full.
bool sameDecidingFields(const std::string& before, const std::string& after);

}  // namespace kv
