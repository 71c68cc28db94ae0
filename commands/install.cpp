#include "commands/install.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "commands/file_step.h"
#include "commands/sort_folders.h"
#include "core/file_error.h"
#include "core/file_system.h"
#include "core/paths.h"

namespace tcc {
namespace {

class Installer {
public:
    Installer(FileSystem& fs, Reporter& reporter, bool overwrite)
        : fs_(fs), reporter_(reporter), overwrite_(overwrite) {}

    void Run(const Folder& cache, const Folder& game) {
        Listing& here = fs_.ListingOf(cache);
        Listing& gameHere = fs_.ListingOf(game);
        // The sort folders' files as they stand now, folder by folder.
        struct Batch {
            const char* folder;
            std::string sub;  // the sort folder's name as it stands on disk
            std::vector<std::string> names;
            // A link to the Cache folder itself, which holds the index and the
            // unconverted files: passed over as a whole.
            bool cacheItself;
        };
        std::vector<Batch> batches;
        std::uint64_t total = 0, done = 0;
        for (const SortFolder& sort : kSortFolders) {
            if (!sort.inGame) continue;
            const DirEntry* sub = here.Find(sort.name);
            if (!sub || sub->type != EntryType::Folder) continue;
            const std::string path = JoinPath(cache.path, sub->name);
            const bool itself = fs_.disk().SameEntry(path, cache.path);
            Batch batch{sort.name, sub->name, itself ? std::vector<std::string>{} : fs_.ListFiles(path, "*"), itself};
            total += itself ? 1 : batch.names.size();
            if (itself || !batch.names.empty()) batches.push_back(std::move(batch));
        }
        // What an interrupted run left in the game's folders goes first,
        // whatever this run brings there.
        for (const SortFolder& sort : kSortFolders) {
            const DirEntry* there = sort.inGame ? gameHere.Find(sort.name) : nullptr;
            if (!there || there->type != EntryType::Folder) continue;
            const Folder folder{JoinPath(game.path, there->name)};
            RemoveLeftovers(fs_, fs_.ListingOf(folder), folder.path, reporter_);
        }
        for (const Batch& batch : batches) {
            if (batch.cacheItself) {
                reporter_.Note(FileAction::Skip(batch.sub, "the sort folder is the Cache folder"));
                reporter_.Progress(++done, total);
                continue;
            }
            Listing& from = fs_.ListingOf(Folder{JoinPath(cache.path, batch.sub)});
            Listing& to = fs_.ListingOf(GameFolderFor(gameHere, batch.folder));
            // A sort folder linked to the game's folder holds the game's own
            // files: each would be found there as itself and removed.
            const bool linked = fs_.disk().SameEntry(from.path(), to.path());
            to.Reserve(batch.names.size());
            for (const std::string& name : batch.names) {
                const std::string shown = JoinPath(batch.sub, name);
                RunFileStep(reporter_, shown, [&] {
                    if (linked) reporter_.Note(FileAction::Skip(shown, "the sort folder is the game's own"));
                    else InstallFile(from, shown, name, to);
                });
                reporter_.Progress(++done, total);
            }
        }
        reporter_.Progress(total, total);
        // The sort folders left empty go, the game's or not; a link to a
        // folder stays as the user made it.
        for (const SortFolder& sort : kSortFolders) {
            const DirEntry* sub = here.Find(sort.name);
            if (!sub || sub->type != EntryType::Folder || sub->link) continue;
            const std::string name = sub->name;
            if (fs_.RemoveFolderIfEmpty(here, name)) reporter_.Note(FileAction::RemoveFolder(name));
        }
    }

private:
    // The game's folder of that name, found in any letter case, else made.
    Folder GameFolderFor(Listing& gameHere, const char* folder) {
        const DirEntry* found = gameHere.Find(folder);
        if (found && found->type == EntryType::Folder) return Folder{JoinPath(gameHere.path(), found->name)};
        // A file of that name refuses the folder (kFileAlreadyExists).
        Folder made = fs_.CreateFolder(JoinPath(gameHere.path(), folder));
        reporter_.Note(FileAction::MakeFolder(made.path));
        return made;
    }

    // Links are never moved, copied, replaced or removed, and two names of
    // one file are no copy of each other: either would lose the only copy.
    void InstallFile(Listing& from, const std::string& shown, const std::string& name, Listing& to) {
        if (const DirEntry* own = from.Find(name); own && own->link)
            return reporter_.Note(FileAction::Skip(shown, "a link"));
        const DirEntry* found = to.Find(name);
        if (!found) {
            // A name taken meanwhile is refused by the rename itself.
            if (!fs_.Move(from, name, to, name)) return reporter_.Note(FileAction::Skip(shown, "target taken"));
            brought_.insert(JoinPath(to.path(), name));
            reporter_.Note(FileAction::Install(shown));
            return;
        }
        // A file this install brought in is never replaced by one whose name
        // differs only in case.
        if (brought_.count(JoinPath(to.path(), found->name)))
            return reporter_.Note(FileAction::Skip(shown, "target taken"));
        // The game's entry as the notes name it.
        const std::string held = "the game's " + JoinPath(LastComponent(to.path()), found->name);
        // Where letter case counts, a name in other case is another file's.
        if (found->name != name && !fs_.disk().FoldsCase())
            return reporter_.Note(FileAction::Skip(shown, held + " holds its name in other case"));
        if (found->link) return reporter_.Note(FileAction::Skip(shown, held + " is a link"));
        if (found->type == EntryType::Folder)
            return reporter_.Note(FileAction::Skip(shown, "a folder of that name in the game"));
        // A pipe, a device or the like is no copy of the file.
        if (found->type != EntryType::File)
            return reporter_.Note(FileAction::Skip(shown, held + " is not a regular file"));
        const std::string onDisk = found->name, target = JoinPath(to.path(), onDisk),
                          source = JoinPath(from.path(), name);
        if (fs_.disk().SameEntry(source, target))
            return reporter_.Note(FileAction::Skip(shown, "another name of " + held));
        if (fs_.SameContent(source, target)) {
            fs_.RemoveFile(from, name);
            reporter_.Note(FileAction::Same(shown, "already installed"));
            return;
        }
        if (!overwrite_) return reporter_.Note(FileAction::Skip(shown, "the game has another version"));
        if (fs_.disk().Stat(target).readOnly)
            return reporter_.Note(FileAction::Skip(shown, "the game's copy is read-only"));
        // The game's copy is kept beside it first. A backup already there is
        // never replaced; one with the same bytes is this very backup, left
        // by a run that stopped before the replacement.
        const std::string backup = onDisk + ".bak";
        if (const DirEntry* kept = to.Find(backup)) {
            const std::string keptName = kept->name, keptPath = JoinPath(to.path(), keptName);
            if (kept->link) return reporter_.Note(FileAction::Skip(shown, keptName + " is a link"));
            if (fs_.disk().SameEntry(keptPath, target))
                return reporter_.Note(FileAction::Skip(shown, keptName + " is another name of " + onDisk));
            if (kept->type != EntryType::File || !fs_.SameContent(keptPath, target)) {
                return reporter_.Note(FileAction::Skip(shown, keptName + " already in the game"));
            }
        } else if (!fs_.CopyBeside(to, onDisk, backup)) {
            return reporter_.Note(FileAction::Skip(shown, backup + " already in the game"));
        } else {
            brought_.insert(JoinPath(to.path(), backup));
        }
        fs_.MoveOver(from, name, to, onDisk);
        brought_.insert(target);
        reporter_.Note(FileAction::Install(shown, backup));
    }

    FileSystem& fs_;
    Reporter& reporter_;
    bool overwrite_;
    std::set<std::string> brought_;  // the game's files this install made, by path
};

// Does a game folder hold a System folder, as the game's own does?
bool HoldsSystem(FileSystem& fs, const std::string& folder) { return fs.FolderExists(JoinPath(folder, "System")); }

// Is `folder` the folder `outer` or inside it? Its parents are found through
// "..", which the system takes after following links, so a link into
// `outer` is inside it too.
bool LiesIn(Disk& disk, std::string folder, const std::string& outer) {
    for (;;) {
        if (disk.SameEntry(folder, outer)) return true;
        std::string up = JoinPath(folder, "..");
        if (disk.Stat(up).type != EntryType::Folder || disk.SameEntry(up, folder)) return false;
        folder = std::move(up);
    }
}

CommandResult Refuse(Reporter& reporter, const std::string& text) {
    reporter.MessageBox(text, "Install", Buttons::Ok, Icon::None);
    return Outcome::Refused;
}

}  // namespace

GameFolder FindGameFolder(FileSystem& fs, std::string_view cacheFolder) {
    std::string_view parent, name;
    if (!SplitPath(TrimmedPath(cacheFolder), &parent, &name)) return {};
    return {std::string(parent), HoldsSystem(fs, std::string(parent))};
}

CommandResult RunInstall(CacheFolderState& state, Reporter& reporter, const InstallOptions& options) {
    FileSystem& fs = state.fs();
    FileSystem::Command command(fs);
    if (!state.HasFolder(reporter) || !state.IsCacheFolder(reporter)) return Outcome::Refused;
    // The folder as it was chosen when the command began.
    const Folder cache = *state.currentFolder;
    // The game's folder: the one named, else the cache folder's parent. It
    // must hold a System folder, as the game's does, and lie outside the
    // Cache folder.
    std::optional<Folder> game;
    if (!options.gameFolder.empty()) {
        if (fs.FileExists(options.gameFolder)) return Refuse(reporter, NotAFolder(options.gameFolder));
        game = fs.GetFolder(options.gameFolder);
    } else {
        const GameFolder found = FindGameFolder(fs, cache.path);
        if (!found.found) return {Outcome::NoGameFolder, found.folder};
        game = fs.GetFolder(found.folder);
    }
    if (LiesIn(fs.disk(), game->path, cache.path)) {
        return Refuse(reporter, "The game's folder cannot be the Cache folder or lie inside it.");
    }
    if (!HoldsSystem(fs, game->path)) {
        return Refuse(reporter,
                      "'" + game->path + "' holds no System folder, so it is not taken for the game's folder.");
    }
    Installer(fs, reporter, options.overwrite).Run(cache, *game);
    return Outcome::Done;
}

}  // namespace tcc
