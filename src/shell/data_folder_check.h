#pragma once
#include "platform/platform.h"

namespace kv {

// At start-up: a Data folder the program cannot write in (a copy under
// Program Files, say) is told to the trader once, with what to do about it.
// A missing folder is left to the first-run settings, as before.
void tellIfDataFolderUnwritable(const platform::Platform& platform);

}  // namespace kv
