#include "sort/sort_folders.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// Reports progress every this many files.
constexpr std::uint64_t kProgressEvery = 256;

void MakeFolderIfMissing(CacheFolderState& state, const char* name) {
    FileSystem& fs = state.fs();
    // A folder present under other letter case counts as present.
    if (!fs.FolderExists(state.PathIn(name))) fs.CreateFolder(state.PathIn(name));
}

}  // namespace

bool cmdSort_Click(CacheFolderState& state, Window& window) {
    if (!state.HasFolder(window)) return false;
    return SortIntoFolders(state, window);
}

bool MakeSortFolders(CacheFolderState& state, Window& window) {
    if (!state.IsCacheFolder(window)) return false;
    for (const char* name : kFirstFolders) MakeFolderIfMissing(state, name);
    window.RefreshDirList();
    MakeFolderIfMissing(state, kUnknownFolder);
    window.RefreshDirList();
    return true;
}

bool SortIntoFolders(CacheFolderState& state, Window& window) {
    if (!MakeSortFolders(state, window)) return false;
    FileSystem& fs = state.fs();

    // The folder itself is the enumeration: its files as they stand now,
    // split by pass. Moving a file into a subfolder never adds one here.
    const std::vector<std::string> names = fs.ListFiles(state.currentFolder->path, "*");
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
        // One pass is one batch: the cache folder and the sort folder are
        // checked for outside changes once, and the moves themselves never
        // replace a name taken meanwhile. The sort folder is the one on disk,
        // whatever its letter case.
        FileSystem::Batch batch(fs);
        const std::string folder = fs.GetFolder(state.PathIn(kPasses[p].folder)).path;
        for (const std::string* name : byPass[p]) {
            const std::string source = state.PathIn(*name);
            const std::string target = JoinPath(folder, *name);
            const std::string shown = JoinPath(File{folder}.Name(), *name);
            if (fs.FileExists(target)) {
                // The moved file takes the old one's place in one step.
                fs.MoveFileReplacing(source, target);
                window.Note({FileAction::Kind::Replace, *name, shown, {}});
            } else {
                fs.MoveFile(source, target);
                window.Note({FileAction::Kind::Move, *name, shown, {}});
            }
            if (++done % kProgressEvery == 0) window.Progress(done, total);
        }
        // The file list shows the folder as each pass leaves it.
        window.RefreshFileList();
    }
    window.Progress(total, total);
    window.MessageBox(kFinishedText, "Finished Sorting", Buttons::Ok, Icon::None);
    return true;
}

}  // namespace tcc
