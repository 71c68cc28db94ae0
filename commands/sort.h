#pragma once

#include "commands/cache_state.h"
#include "commands/command.h"
#include "commands/reporter.h"

namespace tcc {

// Sort: makes the six sort folders that are missing, moves the folder's files
// into them by extension and shows the closing message. Refused when it
// refused the folder (its message has been shown).
CommandResult RunSort(CacheFolderState& state, Reporter& reporter);

}  // namespace tcc
