#include "commands/convert.h"

#include <optional>
#include <string>
#include <string_view>

#include "commands/cache_record.h"
#include "commands/file_step.h"
#include "core/file_error.h"
#include "core/file_system.h"

namespace tcc {
namespace {

// A name that stays inside the chosen folder: no separator of any platform,
// not "." or "..".
bool StaysInFolder(std::string_view name) {
    if (name == "." || name == "..") return false;
    for (char c : name) {
        if (c == '/' || c == '\\') return false;
    }
    return true;
}

// Why the names of a record cannot be given, or null when they can.
const char* Refusal(Disk& disk, const Record& record, const std::string& cachedName, const std::string& targetName) {
    // An empty real name would give ".unk", a hidden file nobody sees.
    if (record.realName.empty()) return "no real name";
    if (record.key.find('\0') != std::string_view::npos || record.realName.find('\0') != std::string_view::npos) {
        return "name holds a NUL byte";
    }
    // A record that would reach outside the chosen folder touches nothing.
    if (!StaysInFolder(cachedName) || !StaysInFolder(targetName)) return "name leaves the folder";
    // Nor does one whose names this disk cannot hold as written.
    if (!disk.CanHoldName(cachedName) || !disk.CanHoldName(targetName)) return "name not allowed on this disk";
    // Where a leading "." hides a file, the file list and the sort would never see it.
    if (disk.HidesByName() && targetName[0] == '.') return "name would be hidden";
    return nullptr;
}

// Renames the cached file of one record in `here` to its real name when that
// name is free.
void ConvertRecord(FileSystem& fs, Listing& here, const Record& record, std::string& cachedName,
                   std::string& targetName, Reporter& reporter) {
    CachedName(record.key, cachedName);
    targetName.assign(record.realName);
    if (record.realName.find('.') == std::string_view::npos) targetName.append(".unk");
    const std::string_view key = record.key;
    if (const char* reason = Refusal(fs.disk(), record, cachedName, targetName))
        return reporter.Note(FileAction::Skip(key, reason));

    const DirEntry* cached = here.Find(cachedName);
    const DirEntry* taken = here.Find(targetName);
    if (!cached || cached->type != EntryType::File) return reporter.Note(FileAction::Skip(key, "cached file missing"));
    if (taken && taken->type == EntryType::File) return reporter.Note(FileAction::Skip(key, "target taken"));
    // A folder or the like holds the name: the rename cannot be done.
    if (taken) throw FileError(kFileAlreadyExists, JoinPath(here.path(), taken->name));
    // The name as it stands on disk, which may differ from the record's in case.
    const std::string onDisk = cached->name;
    RunFileStep(reporter, key, [&] {
        if (!fs.Move(here, onDisk, here, targetName)) return reporter.Note(FileAction::Skip(key, "target taken"));
        reporter.RefreshFileList();
        reporter.ShowLabel(Label::Warning);
        reporter.Note(FileAction::Rename(onDisk, targetName));
    });
}

// Reads the index at indexPath and renames the cached files of the chosen
// folder.
void ConvertCache(CacheFolderState& state, const std::string& indexPath, Reporter& reporter) {
    FileSystem& fs = state.fs();
    FileSystem::Command command(fs);
    // The folder as it was chosen when the command began, whatever the
    // window chooses meanwhile.
    const Folder folder = fs.GetFolder(state.currentFolder ? state.currentFolder->path : std::string());
    File index = fs.GetFile(indexPath);
    const std::uint64_t total = fs.FileSize(index);
    TextReader reader = fs.OpenTextRead(index);
    Listing& here = fs.ListingOf(folder);

    // The header line is passed over unread; an empty index has no records.
    if (!reader.AtEndOfStream()) reader.SkipLine();
    reporter.ShowLabel(Label::Warning);

    // Every line after the header is a record, the last one included.
    std::string line, cachedName, targetName;
    while (!reader.AtEndOfStream()) {
        line = reader.ReadLine();
        reporter.Progress(reader.Position(), total);
        if (const std::optional<Record> record = ReadRecord(line)) {
            ConvertRecord(fs, here, *record, cachedName, targetName, reporter);
        }
    }
    reader.Close();
    reporter.Progress(total, total);
    state.cacheConverted = true;
}

}  // namespace

CommandResult RunConvert(CacheFolderState& state, Reporter& reporter) {
    FileSystem::Command command(state.fs());
    reporter.ShowLabel(Label::Folder);
    reporter.ShowLabel(Label::FolderName);
    if (!state.HasFolder(reporter)) return Outcome::Refused;
    const std::string indexPath = state.PathIn("cache.ini");
    if (!state.IsCacheFolder(reporter)) return Outcome::Refused;
    if (!state.fs().FileExists(indexPath)) {
        reporter.MessageBox("'Cache.ini' is missing, Conversion cannot proceed.", "'Cache.ini' file not found.",
                            Buttons::Ok, Icon::None);
        return Outcome::Refused;
    }
    ConvertCache(state, indexPath, reporter);
    return Outcome::Done;
}

}  // namespace tcc
