#include "commands/sort.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/file_step.h"
#include "commands/sort_folders.h"
#include "core/file_error.h"
#include "core/file_system.h"

namespace tcc {
namespace {

// The pass whose pattern the name matches, or kSortPasses.size() for none. A
// pattern "*.ext" matches when the name ends in ".ext" whatever the letter
// case, and as no extension holds a ".", the name's last "." decides.
std::size_t PassOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return kSortPasses.size();
    const std::string extension = FoldCase(std::string_view(name).substr(dot));
    for (std::size_t p = 0; p < kSortPasses.size(); ++p) {
        if (extension == kSortPasses[p].extension) return p;
    }
    return kSortPasses.size();
}

constexpr const char* kFinishedText =
    "Simply copy the 'Map', 'Textures', 'Sounds', 'Music', & 'System' folders from\r\n"
    "the 'Cache' directory to the game's main directory, choosing overwrite.";

void MakeFolderIfMissing(FileSystem& fs, const Folder& folder, const char* name, Reporter& reporter) {
    // A folder present under other letter case counts as present.
    const std::string path = JoinPath(folder.path, name);
    if (fs.FolderExists(path)) return;
    fs.CreateFolder(path);
    reporter.Note(FileAction::MakeFolder(name));
}

// Makes the missing sort folders of a cache folder: the game's folders, then
// the others, the directory list brought up to date after each group.
void MakeFolders(FileSystem& fs, const Folder& folder, Reporter& reporter) {
    for (const bool inGame : {true, false}) {
        for (const SortFolder& sort : kSortFolders) {
            if (sort.inGame == inGame) MakeFolderIfMissing(fs, folder, sort.name, reporter);
        }
        reporter.RefreshDirList();
    }
}

// Moves the file `name` of `here` into the sort folder `sub`, listed as `there`.
// A link is never moved or replaced, and two names of one file are no older
// copy of each other: either would lose the only copy.
void SortFile(FileSystem& fs, Listing& here, const std::string& name, const std::string& sub, Listing& there,
              Reporter& reporter) {
    const DirEntry* held = there.Find(name);
    RunFileStep(reporter, name, [&] {
        if (const DirEntry* own = here.Find(name); own && own->link) {
            reporter.Note(FileAction::Skip(name, "a link"));
        } else if (!held) {
            // A name taken meanwhile is refused by the rename itself.
            if (!fs.Move(here, name, there, name)) return reporter.Note(FileAction::Skip(name, "target taken"));
            reporter.Note(FileAction::Move(name, JoinPath(sub, name)));
        } else if (held->name != name && !fs.disk().FoldsCase()) {
            // Where letter case counts, a name in other case is another
            // file's, which is no older copy of this one: this one stays.
            reporter.Note(FileAction::Skip(name, JoinPath(sub, held->name) + " holds its name in other case"));
        } else if (held->link) {
            reporter.Note(FileAction::Skip(name, JoinPath(sub, held->name) + " is a link"));
        } else if (fs.disk().SameEntry(JoinPath(here.path(), name), JoinPath(there.path(), held->name))) {
            reporter.Note(FileAction::Skip(name, "another name of " + JoinPath(sub, held->name)));
        } else {
            // The moved file takes the old one's place in one step.
            fs.MoveReplacing(here, name, there, name);
            reporter.Note(FileAction::Replace(name, JoinPath(sub, name)));
        }
    });
}

// Moves the folder's files into the sort folders by extension, then shows
// the closing message; false when it refused the folder.
bool SortIntoFolders(CacheFolderState& state, Reporter& reporter) {
    if (!state.IsCacheFolder(reporter)) return false;
    FileSystem& fs = state.fs();
    FileSystem::Command command(fs);
    // The folder as it was chosen when the command began, whatever the
    // window chooses meanwhile.
    const Folder folder = *state.currentFolder;
    Listing& here = fs.ListingOf(folder);
    MakeFolders(fs, folder, reporter);

    // The folder itself is the enumeration: its files as they stand now, in
    // byte order, split by pass. Moving a file into a subfolder never adds one here.
    const std::vector<std::string> names = fs.ListFiles(folder.path, "*");
    std::array<std::vector<const std::string*>, kSortPasses.size()> byPass;
    std::uint64_t total = 0;
    for (const std::string& name : names) {
        const std::size_t p = PassOf(name);
        if (p == kSortPasses.size()) continue;
        byPass[p].push_back(&name);
        ++total;
    }

    std::uint64_t done = 0;
    for (std::size_t p = 0; p < kSortPasses.size(); ++p) {
        if (byPass[p].empty()) continue;
        // The sort folder as it stands on disk, whatever its letter case.
        const DirEntry* made = here.Find(kSortPasses[p].folder);
        if (!made || made->type != EntryType::Folder)
            throw FileError(kPathNotFound, JoinPath(folder.path, kSortPasses[p].folder));
        const std::string sub = made->name;
        Listing& there = fs.ListingOf(Folder{JoinPath(folder.path, sub)});
        RemoveLeftovers(fs, there, sub, reporter);
        there.Reserve(byPass[p].size());
        // A sort folder linked to the Cache folder holds each file already.
        const bool itself = fs.disk().SameEntry(there.path(), folder.path);
        for (const std::string* name : byPass[p]) {
            if (itself) reporter.Note(FileAction::Skip(*name, "the sort folder is the Cache folder"));
            else SortFile(fs, here, *name, sub, there, reporter);
            reporter.Progress(++done, total);
        }
        // The file list shows the folder as each pass leaves it.
        reporter.RefreshFileList();
    }
    reporter.Progress(total, total);
    reporter.SortFinished(kFinishedText, "Finished Sorting");
    return true;
}

}  // namespace

CommandResult RunSort(CacheFolderState& state, Reporter& reporter) {
    FileSystem::Command command(state.fs());
    if (!state.HasFolder(reporter)) return Outcome::Refused;
    return SortIntoFolders(state, reporter) ? Outcome::Done : Outcome::Refused;
}

}  // namespace tcc
