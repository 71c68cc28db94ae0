#include "commands/install.h"

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/file_error.h"
#include "core/file_system.h"
#include "core/paths.h"

namespace tcc {
namespace {

// The folders whose files go into the game's folders of the same name, in
// the order they are installed.
constexpr std::array<const char*, 5> kGameFolders = {"Maps", "System", "Textures", "Sounds", "Music"};
// The sort folders removed from the cache folder when they are left empty.
constexpr std::array<const char*, 6> kSortFolders = {"Maps", "System", "Textures", "Sounds", "Music",
                                                     "Unknown Extensions"};

// The game's folder: the one named, else the cache folder's parent when it
// holds a System folder. Nothing when it is refused; the user has been told.
std::optional<Folder> GameFolder(FileSystem& fs, const Folder& cache, const InstallOptions& options, Reporter& window) {
    std::optional<Folder> game;
    if (!options.gameFolder.empty()) {
        game = fs.GetFolder(options.gameFolder);
    } else {
        std::string_view parent, name;
        if (!SplitPath(TrimmedPath(cache.path), &parent, &name) || !fs.FolderExists(JoinPath(parent, "System"))) {
            std::string text = "'";
            text.append(parent).append("' holds no System folder, so it is not taken for the game's folder: name the "
                                       "game's folder with --game GAME_FOLDER.");
            window.MessageBox(text, "Install", Buttons::Ok, Icon::None);
            return std::nullopt;
        }
        game = fs.GetFolder(std::string(parent));
    }
    if (fs.disk().SameEntry(game->path, cache.path)) {
        window.MessageBox("The game's folder cannot be the Cache folder itself.", "Install", Buttons::Ok, Icon::None);
        return std::nullopt;
    }
    return game;
}

class Installer {
public:
    Installer(FileSystem& fs, Reporter& window, bool overwrite) : fs_(fs), window_(window), overwrite_(overwrite) {}

    void Run(const Folder& cache, const Folder& game) {
        Listing& here = fs_.ListingOf(cache);
        Listing& gameHere = fs_.ListingOf(game);
        // The sort folders' files as they stand now, folder by folder.
        struct Batch {
            const char* folder;
            std::string sub;  // the sort folder's name as it stands on disk
            std::vector<std::string> names;
        };
        std::vector<Batch> batches;
        std::uint64_t total = 0, done = 0;
        for (const char* folder : kGameFolders) {
            const DirEntry* sub = here.Find(folder);
            if (!sub || sub->type != EntryType::Folder) continue;
            Batch batch{folder, sub->name, fs_.ListFiles(JoinPath(cache.path, sub->name), "*")};
            total += batch.names.size();
            if (!batch.names.empty()) batches.push_back(std::move(batch));
        }
        for (const Batch& batch : batches) {
            Listing& from = fs_.ListingOf(Folder{JoinPath(cache.path, batch.sub)});
            Listing& to = fs_.ListingOf(GameFolderFor(gameHere, batch.folder));
            // A sort folder linked to the game's folder holds the game's own
            // files: each would be found there as itself and removed.
            const bool linked = fs_.disk().SameEntry(from.path(), to.path());
            to.Reserve(batch.names.size());
            for (const std::string& name : batch.names) {
                const std::string shown = JoinPath(batch.sub, name);
                try {
                    if (linked) Skip(shown, "the sort folder is the game's own");
                    else InstallFile(from, shown, name, to);
                } catch (const FileError& e) {
                    // A path the system cannot take is passed over, as the sort does.
                    if (e.number() != kBadFileName) throw;
                    Skip(shown, "name too long");
                }
                window_.Progress(++done, total);
            }
        }
        window_.Progress(total, total);
        for (const char* folder : kSortFolders) {
            const DirEntry* sub = here.Find(folder);
            if (!sub || sub->type != EntryType::Folder) continue;
            const std::string name = sub->name;
            if (fs_.RemoveFolderIfEmpty(here, name)) window_.Note({FileAction::Kind::RemoveFolder, {}, name, {}});
        }
    }

private:
    // The game's folder of that name, found in any letter case, else made.
    Folder GameFolderFor(Listing& gameHere, const char* folder) {
        const DirEntry* found = gameHere.Find(folder);
        if (found && found->type == EntryType::Folder) return Folder{JoinPath(gameHere.path(), found->name)};
        // A file of that name refuses the folder (58).
        Folder made = fs_.CreateFolder(JoinPath(gameHere.path(), folder));
        window_.Note({FileAction::Kind::MakeFolder, {}, made.path, {}});
        return made;
    }

    void Skip(const std::string& shown, std::string reason) {
        window_.Note({FileAction::Kind::Skip, shown, {}, std::move(reason)});
    }

    void InstallFile(Listing& from, const std::string& shown, const std::string& name,
                     Listing& to) {
        const DirEntry* found = to.Find(name);
        if (!found) {
            // A name taken meanwhile is refused by the rename itself.
            if (!fs_.Move(from, name, to, name)) return Skip(shown, "target taken");
            brought_.insert(JoinPath(to.path(), name));
            window_.Note({FileAction::Kind::Install, shown, {}, {}});
            return;
        }
        // A file this install brought in is never replaced by one whose name
        // differs only in case.
        if (brought_.count(JoinPath(to.path(), found->name))) return Skip(shown, "target taken");
        // Where letter case counts, a name in other case is another file's.
        if (found->name != name && !fs_.disk().FoldsCase()) {
            return Skip(shown, "the game's " + JoinPath(LastComponent(to.path()), found->name) + " holds its name in other case");
        }
        if (found->type != EntryType::File) return Skip(shown, "a folder of that name in the game");
        const std::string onDisk = found->name, target = JoinPath(to.path(), onDisk);
        if (fs_.SameContent(JoinPath(from.path(), name), target)) {
            fs_.RemoveFile(from, name);
            window_.Note({FileAction::Kind::Same, shown, {}, "already installed"});
            return;
        }
        if (!overwrite_) return Skip(shown, "the game has another version");
        if (fs_.disk().Stat(target).readOnly) return Skip(shown, "the game's copy is read-only");
        // The game's copy is kept beside it first. A backup already there is
        // never replaced; one with the same bytes is this very backup, left
        // by a run that stopped before the replacement.
        const std::string backup = onDisk + ".bak";
        if (const DirEntry* kept = to.Find(backup)) {
            const std::string keptName = kept->name;
            if (kept->type != EntryType::File || !fs_.SameContent(JoinPath(to.path(), keptName), target)) {
                return Skip(shown, keptName + " already in the game");
            }
        } else if (!fs_.CopyBeside(to, onDisk, backup)) {
            return Skip(shown, backup + " already in the game");
        } else {
            brought_.insert(JoinPath(to.path(), backup));
        }
        fs_.MoveOver(from, name, to, onDisk);
        brought_.insert(target);
        window_.Note({FileAction::Kind::Install, shown, backup, {}});
    }

    FileSystem& fs_;
    Reporter& window_;
    bool overwrite_;
    std::set<std::string> brought_;  // the game's files this install made, by path
};

}  // namespace

bool RunInstall(CacheFolderState& state, Reporter& window, const InstallOptions& options) {
    FileSystem& fs = state.fs();
    FileSystem::Command command(fs);
    if (!state.HasFolder(window) || !state.IsCacheFolder(window)) return false;
    // The folder as it was chosen when the command began.
    const Folder cache = *state.currentFolder;
    const std::optional<Folder> game = GameFolder(fs, cache, options, window);
    if (!game) return false;
    Installer(fs, window, options.overwrite).Run(cache, *game);
    return true;
}

}  // namespace tcc
