#pragma once

#include "commands/cache_state.h"
#include "commands/command.h"
#include "commands/reporter.h"

namespace tcc {

// Convert: checks the chosen folder and its index, then renames every cached
// file whose target name is free to the real name its record gives. A failed
// file operation ends it with FileError; renames done stay done. Refused
// when it refused the folder (its message has been shown).
CommandResult RunConvert(CacheFolderState& state, Reporter& reporter);

}  // namespace tcc
