#pragma once

#include "commands/cache_state.h"
#include "commands/command.h"
#include "commands/reporter.h"

namespace tcc {

// Refresh: asks first while nothing was converted in this run, then rewrites
// the chosen folder's cache.ini with its header line and the records whose
// cached file is still there. Refused when the user said No or the folder was
// refused.
CommandResult RunRefresh(CacheFolderState& state, Reporter& reporter);

}  // namespace tcc
