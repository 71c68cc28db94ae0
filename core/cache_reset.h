#pragma once

#include "core/cache_state.h"
#include "core/window.h"

namespace tcc {

// The Refresh ".ini" File command (button "2. &Refresh ".ini" File"): asks
// first while nothing was converted in this run, then resets the index.
// False when the user said No or the folder was refused.
bool cmdRefresh_Click(CacheFolderState& state, Window& window);

// Rewrites the chosen folder's cache.ini with its header line alone; false
// when there was no index and the folder is not a cache folder.
bool ResetCacheIndex(CacheFolderState& state, Window& window);

}  // namespace tcc
