#include "core/cache_conversion.h"

#include <optional>
#include <string_view>

#include "core/file_system.h"

namespace tcc {
namespace {

// Splits a record at every "=": field 0 is the key, field 1 the real name.
void SplitRecord(const std::string& line, std::vector<std::string>& fields) {
    fields.clear();
    std::size_t start = 0;
    for (;;) {
        std::size_t eq = line.find('=', start);
        fields.push_back(line.substr(start, eq == std::string::npos ? std::string::npos : eq - start));
        if (eq == std::string::npos) return;
        start = eq + 1;
    }
}

// A name that stays inside the chosen folder: no separator of any platform,
// no NUL byte, not "." or "..".
bool StaysInFolder(std::string_view name) {
    if (name == "." || name == "..") return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

// Reports progress every this many records.
constexpr unsigned kProgressEvery = 256;

}  // namespace

bool cmdGetCache_Click(CacheFolderState& state, Window& window) {
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

void ConvertCache(CacheFolderState& state, Window& window) {
    FileSystem& fs = state.fs();
    File index = fs.GetFile(state.cacheIndexPath);
    const std::uint64_t total = fs.FileSize(index);
    TextReader reader = fs.OpenTextRead(index);

    // The header line is passed over unread; an empty index has no records.
    if (!reader.AtEndOfStream()) reader.SkipLine();
    window.ShowLabel(Label::Warning);

    // Every line after the header is a record, the last one included. A line
    // without "=" has no real name and is passed over.
    // Records are taken up in batches: within one, the folder is checked
    // once for changes made by others. A rename never replaces a name taken
    // meanwhile, so a change missed within a batch cannot cost a file.
    unsigned sinceProgress = 0;
    std::optional<FileSystem::Batch> batch;
    batch.emplace(fs);
    while (!reader.AtEndOfStream()) {
        std::string line = reader.ReadLine();
        if (++sinceProgress == kProgressEvery) {
            sinceProgress = 0;
            batch.reset();
            window.Progress(reader.Position(), total);
            batch.emplace(fs);
        }
        if (line.find('=') == std::string::npos) continue;
        SplitRecord(line, state.recordFields);
        const std::string& key = state.recordFields[0];
        const std::string& realName = state.recordFields[1];
        const std::string cachedName = key + ".uxx";
        const std::string targetName = realName.find('.') != std::string::npos ? realName : realName + ".unk";
        // A record that would reach outside the chosen folder touches nothing.
        if (!StaysInFolder(cachedName) || !StaysInFolder(targetName)) {
            window.Note({FileAction::Kind::Skip, key, {}, "name leaves the folder"});
            continue;
        }
        // Nor does one whose names this disk cannot hold as written.
        if (!fs.disk().CanHoldName(cachedName) || !fs.disk().CanHoldName(targetName)) {
            window.Note({FileAction::Kind::Skip, key, {}, "name not allowed on this disk"});
            continue;
        }

        state.realFilePath = state.PathIn(targetName);
        state.cachedFilePath = state.PathIn(cachedName);
        if (!fs.FileExists(state.cachedFilePath)) {
            window.Note({FileAction::Kind::Skip, key, {}, "cached file missing"});
        } else if (fs.FileExists(state.realFilePath)) {
            window.Note({FileAction::Kind::Skip, key, {}, "target taken"});
        } else {
            RenameCachedFile(state, window);
            window.Note({FileAction::Kind::Rename, cachedName, targetName, {}});
        }
    }
    batch.reset();
    reader.Close();
    window.Progress(total, total);
    state.cacheConverted = true;
}

void RenameCachedFile(CacheFolderState& state, Window& window) {
    state.fs().MoveFile(state.cachedFilePath, state.realFilePath);
    window.RefreshFileList();
    window.ShowLabel(Label::Warning);
}

}  // namespace tcc
