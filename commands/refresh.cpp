#include "commands/refresh.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/cache_record.h"
#include "core/file_error.h"
#include "core/file_system.h"

namespace tcc {
namespace {

// The whole of a fresh index: its header line and one line end.
constexpr const char* kFreshIndex = "[Cache]\r\n";

// The lines of `bytes`, each with its line end (CR LF, LF or a lone CR), in
// code units of `unit` bytes: 1, or 2 for UTF-16 (little-endian unless
// `bigEndian`). A last line without an end is a line; a last byte short of a
// whole unit belongs to the line before.
std::vector<std::string_view> LinesWithEnds(std::string_view bytes, std::size_t unit, bool bigEndian) {
    const auto at = [&](std::size_t i) -> unsigned {
        if (unit == 1) return static_cast<unsigned char>(bytes[i]);
        const unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? a << 8 | b : a | b << 8;
    };
    std::vector<std::string_view> lines;
    std::size_t start = 0, i = 0;
    while (i + unit <= bytes.size()) {
        const unsigned c = at(i);
        i += unit;
        if (c != '\r' && c != '\n') continue;
        if (c == '\r' && i + unit <= bytes.size() && at(i) == '\n') i += unit;
        lines.push_back(bytes.substr(start, i - start));
        start = i;
    }
    if (bytes.size() - start >= unit) lines.push_back(bytes.substr(start));
    else if (start < bytes.size() && !lines.empty()) lines.back() = bytes.substr(start - lines.back().size());
    return lines;
}

// The index that keeps the records whose cached file is still in `folder`:
// those files can still be converted, and nothing else knows their real
// names. The header and each record kept stay as they were, byte for byte
// and in their order; the fresh index when no record is kept. Each record
// kept is told.
std::string KeptIndex(FileSystem& fs, const Folder& folder, const File& index, Reporter& reporter) {
    auto bytes = std::make_shared<std::string>();
    {
        const std::unique_ptr<ReadStream> in = fs.disk().OpenRead(index.path);
        char buffer[1 << 14];
        while (const std::size_t n = in->Read(buffer, sizeof buffer)) bytes->append(buffer, n);
    }
    // The records are read as convert reads them, from the text the disk
    // makes of the bytes.
    TextReader reader(fs.disk().ReadText(std::make_unique<MemoryReadStream>(bytes)), index.path);
    std::vector<std::string> text;
    while (!reader.AtEndOfStream()) text.push_back(reader.ReadLine());
    if (text.size() < 2) return kFreshIndex;
    // The bytes split as the text was: a disk that reads UTF-16 after its
    // byte-order mark drops the mark, and its lines end in 16-bit units.
    const std::string_view raw = *bytes;
    const bool mark = (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) &&
                      !text[0].starts_with(raw.substr(0, 2));
    const std::vector<std::string_view> lines = LinesWithEnds(raw, mark ? 2 : 1, raw.starts_with("\xFE\xFF"));
    // Where the two disagree, no record can be told by its bytes: the index
    // stays as it is.
    if (lines.size() != text.size()) throw FileError(kPathFileAccessError, index.path);

    Listing& here = fs.ListingOf(folder);
    std::string kept(lines[0]), cachedName;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const std::optional<Record> record = ReadRecord(text[i]);
        if (!record) continue;
        CachedName(record->key, cachedName);
        const DirEntry* cached = here.Find(cachedName);
        if (!cached || cached->type != EntryType::File) continue;
        kept += lines[i];
        reporter.Note(FileAction::Keep(record->key, cached->name + " not yet converted"));
    }
    return kept.size() == lines[0].size() ? kFreshIndex : kept;
}

// Rewrites the chosen folder's cache.ini with its header line and the
// records of files not yet converted; false when there was no index and the
// folder is not a cache folder.
bool ResetCacheIndex(CacheFolderState& state, Reporter& reporter) {
    const std::string indexPath = state.PathIn("cache.ini");
    FileSystem& fs = state.fs();
    // An existing index is replaced whatever the folder is called; a new one
    // is made only in a cache folder.
    const bool exists = fs.FileExists(indexPath);
    if (!exists && !state.IsCacheFolder(reporter)) return false;
    const std::string content = exists ? KeptIndex(fs, *state.currentFolder, fs.GetFile(indexPath), reporter)
                                       : kFreshIndex;
    // Written beside the old index and renamed over it, so the folder never
    // holds an empty or half-written index. A read-only index is refused.
    fs.ReplaceFileContent(indexPath, content);
    reporter.Note(FileAction::Write("cache.ini"));
    return true;
}

}  // namespace

CommandResult RunRefresh(CacheFolderState& state, Reporter& reporter) {
    FileSystem::Command command(state.fs());
    if (!state.HasFolder(reporter)) return Outcome::Refused;
    if (!state.cacheConverted) {
        Answer answer = reporter.MessageBox(
            "You haven't converted the cache directory yet, are you sure you want to delete the 'Cache.ini' "
            "settings?",
            "'Cache.ini' Overwrite", Buttons::YesNo, Icon::None);
        if (answer != Answer::Yes) return Outcome::Refused;
    }
    return ResetCacheIndex(state, reporter) ? Outcome::Done : Outcome::Refused;
}

}  // namespace tcc
