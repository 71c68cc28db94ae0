#pragma once

#include "core/cache_state.h"
#include "core/window.h"

namespace tcc {

// The Convert Cache command (button "1. &Convert Cache"): checks the folder
// and its index, then renames every cached file whose target name is free.
// A failed file operation ends it with FileError; renames done stay done.
// False when it refused the folder (its message has been shown).
bool cmdGetCache_Click(CacheFolderState& state, Window& window);

// Reads the index at state.cacheIndexPath and renames the cached files of
// the chosen folder.
void ConvertCache(CacheFolderState& state, Window& window);

}  // namespace tcc
