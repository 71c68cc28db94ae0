#include "commands/sort.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_error.h"
#include "core/file_system.h"

namespace tcc {
namespace {

// The sort folders in the order they are tested and made. The directory list
// is refreshed after Music and again after Unknown Extensions.
constexpr std::array<const char*, 5> kFirstFolders = {"Maps", "System", "Textures", "Sounds", "Music"};
constexpr const char* kUnknownFolder = "Unknown Extensions";

struct Pass {
    const char* extension;  // the pass takes the names matching "*" + extension
    const char* folder;
};

// Each pass moves the files matching its pattern into its folder. No name
// matches two patterns, so the order only decides the order of the moves.
constexpr std::array<Pass, 8> kPasses = {{
    {".unr", "Maps"},
    {".utx", "Textures"},
    {".uax", "Sounds"},
    {".umx", "Music"},
    {".unk", "Unknown Extensions"},
    {".u", "System"},
    {".dll", "System"},
    {".int", "System"},
}};

// The pass whose pattern the name matches, or kPasses.size() for none. A
// pattern "*.ext" matches when the name ends in ".ext" whatever the letter
// case, and as no extension holds a ".", the name's last "." decides.
std::size_t PassOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return kPasses.size();
    const std::string extension = FoldCase(std::string_view(name).substr(dot));
    for (std::size_t p = 0; p < kPasses.size(); ++p) {
        if (extension == kPasses[p].extension) return p;
    }
    return kPasses.size();
}

constexpr const char* kFinishedText =
    "Simply copy the 'Map', 'Textures', 'Sounds', 'Music', & 'System' folders from\r\n"
    "the 'Cache' directory to the game's main directory, choosing overwrite.";

void MakeFolderIfMissing(FileSystem& fs, const Folder& folder, const char* name, Reporter& window) {
    // A folder present under other letter case counts as present.
    const std::string path = JoinPath(folder.path, name);
    if (fs.FolderExists(path)) return;
    fs.CreateFolder(path);
    window.Note({FileAction::Kind::MakeFolder, {}, name, {}});
}

// Makes the missing sort folders of a cache folder.
void MakeFolders(FileSystem& fs, const Folder& folder, Reporter& window) {
    for (const char* name : kFirstFolders) MakeFolderIfMissing(fs, folder, name, window);
    window.RefreshDirList();
    MakeFolderIfMissing(fs, folder, kUnknownFolder, window);
    window.RefreshDirList();
}

void Skip(Reporter& window, const std::string& name, std::string reason) {
    window.Note({FileAction::Kind::Skip, name, {}, std::move(reason)});
}

// Moves the file `name` of `here` into the sort folder `sub`, listed as `there`.
void SortFile(FileSystem& fs, Listing& here, const std::string& name, const std::string& sub,
              Listing& there, Reporter& window) {
    const DirEntry* held = there.Find(name);
    try {
        if (!held) {
            // A name taken meanwhile is refused by the rename itself.
            if (!fs.Move(here, name, there, name)) return Skip(window, name, "target taken");
            window.Note({FileAction::Kind::Move, name, JoinPath(sub, name), {}});
        } else if (held->name != name && !fs.disk().FoldsCase()) {
            // Where letter case counts, a name in other case is another
            // file's, which is no older copy of this one: this one stays.
            Skip(window, name, JoinPath(sub, held->name) + " holds its name in other case");
        } else {
            // The moved file takes the old one's place in one step.
            fs.MoveReplacing(here, name, there, name);
            window.Note({FileAction::Kind::Replace, name, JoinPath(sub, name), {}});
        }
    } catch (const FileError& e) {
        // A path the system cannot take is passed over, as the conversion does.
        if (e.number() != kBadFileName) throw;
        Skip(window, name, "name too long");
    }
}

// Moves the folder's files into the sort folders by extension, then shows
// the closing message; false when it refused the folder.
bool SortIntoFolders(CacheFolderState& state, Reporter& window) {
    if (!state.IsCacheFolder(window)) return false;
    FileSystem& fs = state.fs();
    FileSystem::Command command(fs);
    // The folder as it was chosen when the command began, whatever the
    // window chooses meanwhile.
    const Folder folder = *state.currentFolder;
    Listing& here = fs.ListingOf(folder);
    MakeFolders(fs, folder, window);

    // The folder itself is the enumeration: its files as they stand now, in
    // byte order, split by pass. Moving a file into a subfolder never adds one here.
    const std::vector<std::string> names = fs.ListFiles(folder.path, "*");
    std::array<std::vector<const std::string*>, kPasses.size()> byPass;
    std::uint64_t total = 0;
    for (const std::string& name : names) {
        const std::size_t p = PassOf(name);
        if (p == kPasses.size()) continue;
        byPass[p].push_back(&name);
        ++total;
    }

    std::uint64_t done = 0;
    for (std::size_t p = 0; p < kPasses.size(); ++p) {
        if (byPass[p].empty()) continue;
        // The sort folder as it stands on disk, whatever its letter case.
        const DirEntry* made = here.Find(kPasses[p].folder);
        if (!made || made->type != EntryType::Folder) throw FileError(kPathNotFound, JoinPath(folder.path, kPasses[p].folder));
        const std::string sub = made->name;
        Listing& there = fs.ListingOf(Folder{JoinPath(folder.path, sub)});
        there.Reserve(byPass[p].size());
        for (const std::string* name : byPass[p]) {
            SortFile(fs, here, *name, sub, there, window);
            window.Progress(++done, total);
        }
        // The file list shows the folder as each pass leaves it.
        window.RefreshFileList();
    }
    window.Progress(total, total);
    window.MessageBox(kFinishedText, "Finished Sorting", Buttons::Ok, Icon::None);
    return true;
}

}  // namespace

bool RunSort(CacheFolderState& state, Reporter& window) {
    FileSystem::Command command(state.fs());
    if (!state.HasFolder(window)) return false;
    return SortIntoFolders(state, window);
}

}  // namespace tcc
