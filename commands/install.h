#pragma once

#include <string>
#include <string_view>

#include "commands/cache_state.h"
#include "commands/command.h"
#include "commands/reporter.h"

namespace tcc {

struct InstallOptions {
    // The game's folder; empty: the cache folder's parent, taken only when it
    // holds a System folder.
    std::string gameFolder;
    // A game file with other bytes is replaced, its old copy kept as NAME.bak.
    bool overwrite = false;
};

// The game's folder install takes when none is named: the cache folder's
// parent (folder, "" when it has none), found when it holds a System folder.
struct GameFolder {
    std::string folder;
    bool found = false;
};
GameFolder FindGameFolder(FileSystem& fs, std::string_view cacheFolder);

// Install: moves the files of the cache folder's Maps, System, Textures,
// Sounds and Music folders into the game's folders of those names, never
// replacing a game file unless asked to, and removes the sort folders left
// empty. Refused when it refused the folder or the game folder (its message
// has been shown); NoGameFolder when none was named and the cache folder's
// parent holds no System folder (nothing has been shown: the caller tells how
// to name one).
CommandResult RunInstall(CacheFolderState& state, Reporter& reporter, const InstallOptions& options);

}  // namespace tcc
