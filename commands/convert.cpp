#include "commands/convert.h"

#include <string_view>

#include "core/file_error.h"
#include "core/file_system.h"

namespace tcc {
namespace {

// A name that stays inside the chosen folder: no separator of any platform,
// no NUL byte, not "." or "..".
bool StaysInFolder(std::string_view name) {
    if (name == "." || name == "..") return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

void Skip(Window& window, std::string_view key, const char* reason) {
    window.Note({FileAction::Kind::Skip, std::string(key), {}, reason});
}


// Reads the index at state.cacheIndexPath and renames the cached files of
// the chosen folder.
void ConvertCache(CacheFolderState& state, Window& window) {
    FileSystem& fs = state.fs();
    FileSystem::Command command(fs);
    // The folder as it was chosen when the command began, whatever the
    // window chooses meanwhile.
    const Folder folder = fs.GetFolder(state.currentFolder ? state.currentFolder->path : std::string());
    File index = fs.GetFile(state.cacheIndexPath);
    const std::uint64_t total = fs.FileSize(index);
    TextReader reader = fs.OpenTextRead(index);
    FileSystem::Listing& here = fs.ListingOf(folder);

    // The header line is passed over unread; an empty index has no records.
    if (!reader.AtEndOfStream()) reader.SkipLine();
    window.ShowLabel(Label::Warning);

    // Every line after the header is a record, the last one included. A line
    // without "=" has no real name and is passed over. Field 1, the real
    // name, ends at the next "=".
    std::string cachedName, targetName;
    while (!reader.AtEndOfStream()) {
        const std::string line = reader.ReadLine();
        window.Progress(reader.Position(), total);
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string_view key = std::string_view(line).substr(0, eq);
        const std::size_t end = line.find('=', eq + 1);
        const std::string_view realName =
            std::string_view(line).substr(eq + 1, end == std::string::npos ? std::string::npos : end - eq - 1);
        // An empty real name would give ".unk", a hidden file nobody sees.
        if (realName.empty()) {
            Skip(window, key, "no real name");
            continue;
        }
        cachedName.assign(key).append(".uxx");
        targetName.assign(realName);
        if (realName.find('.') == std::string_view::npos) targetName.append(".unk");
        // A record that would reach outside the chosen folder touches nothing.
        if (!StaysInFolder(cachedName) || !StaysInFolder(targetName)) {
            Skip(window, key, "name leaves the folder");
            continue;
        }
        // Nor does one whose names this disk cannot hold as written.
        if (!fs.disk().CanHoldName(cachedName) || !fs.disk().CanHoldName(targetName)) {
            Skip(window, key, "name not allowed on this disk");
            continue;
        }

        const FileSystem::Entry* cached = here.Find(cachedName);
        const FileSystem::Entry* taken = here.Find(targetName);
        if (!cached || cached->type != EntryType::File) {
            Skip(window, key, "cached file missing");
        } else if (taken && taken->type == EntryType::File) {
            Skip(window, key, "target taken");
        } else if (taken) {
            // A folder or the like holds the name: the rename cannot be done.
            throw FileError(kFileAlreadyExists, JoinPath(folder.path, taken->name));
        } else {
            bool moved = false;
            try {
                moved = fs.Move(here, cached->name, here, targetName);
            } catch (const FileError& e) {
                // A name the file system cannot hold is no name to give.
                if (e.number() != kBadFileName) throw;
                Skip(window, key, "name too long");
                continue;
            }
            if (!moved) {
                Skip(window, key, "target taken");
                continue;
            }
            window.RefreshFileList();
            window.ShowLabel(Label::Warning);
            window.Note({FileAction::Kind::Rename, cachedName, targetName, {}});
        }
    }
    reader.Close();
    window.Progress(total, total);
    state.cacheConverted = true;
}

}  // namespace

bool RunConvert(CacheFolderState& state, Window& window) {
    FileSystem::Command command(state.fs());
    window.ShowLabel(Label::Folder);
    window.ShowLabel(Label::FolderName);
    if (!state.HasFolder(window)) return false;
    state.cacheIndexPath = state.PathIn("cache.ini");
    if (!state.IsCacheFolder(window)) return false;
    if (!state.fs().FileExists(state.cacheIndexPath)) {
        window.MessageBox("'Cache.ini' is missing, Conversion cannot proceed.", "'Cache.ini' file not found.",
                          Buttons::Ok, Icon::None);
        return false;
    }
    ConvertCache(state, window);
    return true;
}

}  // namespace tcc
