#pragma once

#include <string>

#include "commands/cache_state.h"
#include "commands/reporter.h"

namespace tcc {

struct InstallOptions {
    // The game's folder; empty: the cache folder's parent, taken only when it
    // holds a System folder.
    std::string gameFolder;
    // A game file with other bytes is replaced, its old copy kept as NAME.bak.
    bool overwrite = false;
};

// Install: moves the files of the cache folder's Maps, System, Textures,
// Sounds and Music folders into the game's folders of those names, never
// replacing a game file unless asked to, and removes the sort folders left
// empty. False when it refused the folder or the game folder (its message
// has been shown).
bool RunInstall(CacheFolderState& state, Reporter& reporter, const InstallOptions& options);

}  // namespace tcc
