#pragma once

#include "core/cache_state.h"
#include "core/window.h"

namespace tcc {

// The Sort Into Folders command (button "3. &Sort Into Folders"). False when
// it refused the folder (its message has been shown).
bool cmdSort_Click(CacheFolderState& state, Window& window);

// Creates the six sort folders that are missing; false when the folder is
// not a cache folder (its message has been shown).
bool MakeSortFolders(CacheFolderState& state, Window& window);

// Moves the folder's files into the sort folders by extension, then shows
// the closing message; false when it refused the folder.
bool SortIntoFolders(CacheFolderState& state, Window& window);

}  // namespace tcc
