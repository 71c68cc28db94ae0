#include "core/file_system.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

#include "core/file_error.h"

namespace tcc {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

bool IsSeparator(char c) { return IsPathSeparator(c); }
std::size_t RootLength(std::string_view p) { return PathRootLength(p); }

// Drops separators at the end, but keeps the root.
std::string_view Trimmed(std::string_view p) {
    const std::size_t root = std::max<std::size_t>(RootLength(p), 1);
    while (p.size() > root && IsSeparator(p.back())) p.remove_suffix(1);
    return p;
}

std::string LastComponent(const std::string& path) {
    std::string_view p = Trimmed(path);
    auto pos = p.find_last_of(kSeparators);
    return std::string(pos == std::string_view::npos ? p : p.substr(pos + 1));
}

// Splits a trimmed path into parent and name; the parent of "/x" is "/".
bool SplitPath(std::string_view path, std::string_view* parent, std::string_view* name) {
    auto pos = path.find_last_of(kSeparators);
    if (pos == std::string_view::npos || pos + 1 >= path.size()) return false;
    *parent = path.substr(0, std::max(pos, RootLength(path)));
    *name = path.substr(pos + 1);
    return true;
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IsPathSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

// On Windows "C:" alone names the drive's current folder: "C:\" is the root.
std::size_t PathRootLength(std::string_view p) {
    if (kSeparator == '\\' && p.size() >= 3 && p[1] == ':' && IsPathSeparator(p[2])) return 3;
    return !p.empty() && IsPathSeparator(p[0]) ? 1 : 0;
}

std::string Folder::Name() const { return LastComponent(path); }
std::string File::Name() const { return LastComponent(path); }

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = Fold(c);
    return folded;
}

bool IsHiddenName(const std::string& name) { return !name.empty() && name[0] == '.'; }

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + name.size() + 1);
    path.append(folder);
    // A path keeps the one separator it was written with ("C:/x/y" as Qt
    // writes paths on Windows), else the platform's.
    const std::size_t last = folder.find_last_of(kSeparators);
    if (path.empty() || !IsSeparator(path.back())) path.push_back(last == std::string_view::npos ? kSeparator : folder[last]);
    path.append(name);
    return path;
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    // Iterative wildcard match with backtracking to the last "*".
    std::size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// ---------------------------------------------------------------------------

TextReader::TextReader(std::unique_ptr<ReadStream> stream, std::string path)
    : stream_(std::move(stream)), path_(std::move(path)), buffer_(kReadChunk) {}

bool TextReader::Fill() {
    if (eof_ || !stream_) return false;
    std::size_t got = stream_->Read(buffer_.data(), buffer_.size());
    if (got == 0) {
        eof_ = true;
        return false;
    }
    pos_ = 0;
    end_ = got;
    return true;
}

int TextReader::Peek() {
    if (pos_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

bool TextReader::AtEndOfStream() { return Peek() == -1; }

std::string TextReader::ReadLine() {
    if (Peek() == -1) throw FileError(kInputPastEndOfFile, path_);
    std::string line;
    for (;;) {
        const char* start = buffer_.data() + pos_;
        const char* stop = buffer_.data() + end_;
        const char* hit = start;
        while (hit != stop && *hit != '\r' && *hit != '\n') ++hit;
        line.append(start, hit);
        consumed_ += static_cast<std::uint64_t>(hit - start);
        pos_ += static_cast<std::size_t>(hit - start);
        if (hit != stop) {
            char terminator = *hit;
            ++pos_;
            ++consumed_;
            if (terminator == '\r' && Peek() == '\n') {
                ++pos_;
                ++consumed_;
            }
            return line;
        }
        if (!Fill()) return line;
    }
}

void TextReader::SkipLine() { (void)ReadLine(); }

void TextReader::Close() { stream_.reset(); }

// ---------------------------------------------------------------------------

FileSystem::FileSystem(Disk& disk) : disk_(disk) {}

FileSystem::Listing* FileSystem::Kept(std::string_view folder) {
    // Most lookups in a row are in one folder: remember the last one found.
    if (recent_ && recentFolder_ == folder) return recent_;
    auto it = listings_.find(folder);
    if (it == listings_.end()) return nullptr;
    recentFolder_ = it->first;
    recent_ = &it->second;
    return recent_;
}

FileSystem::Listing* FileSystem::ListingOf(std::string_view folderView) {
    Listing* kept = Kept(folderView);
    // Within one operation a folder's stamp is checked once.
    if (kept && kept->checkedInCall == call_) return kept;
    const std::string folder(folderView);
    DirStamp stamp = disk_.Stamp(folder);
    if (stamp == DirStamp{}) {
        if (kept) {
            recent_ = nullptr;
            listings_.erase(folder);
        }
        return nullptr;
    }
    if (kept && kept->stamp == stamp) {
        kept->checkedInCall = call_;
        return kept;
    }
    // The stamp is taken before reading, so a change made while reading
    // shows as a new stamp next time.
    Listing fresh;
    fresh.stamp = stamp;
    fresh.checkedInCall = call_;
    for (DirEntry& e : disk_.ReadDir(folder)) {
        std::string key = FoldCase(e.name);
        fresh.names[key].push_back(std::move(e));
    }
    for (auto& [key, entries] : fresh.names) {
        std::sort(entries.begin(), entries.end(),
                  [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    }
    Listing& slot = listings_[folder];
    slot = std::move(fresh);
    return &slot;
}

std::string FileSystem::Find(const std::string& rawPath, EntryInfo* info) {
    const std::string_view path = Trimmed(rawPath);
    std::string_view parent, name;
    const bool split = SplitPath(path, &parent, &name);
    // A folder whose listing is kept answers from it, after a cheap check of
    // its stamp. Only the type is known then, not the read-only bit.
    if (split && Kept(parent)) {
        if (Listing* listing = ListingOf(parent)) return Lookup(*listing, parent, name, info);
    }
    auto self = listings_.find(path);
    if (self != listings_.end() && self->second.checkedInCall == call_) {
        *info = EntryInfo{EntryType::Folder, false, 0};
        return std::string(path);
    }
    EntryInfo exact = disk_.Stat(std::string(path));
    if (exact.type != EntryType::None) {
        *info = exact;
        return std::string(path);
    }
    if (!split || name.find('\0') != std::string_view::npos) return {};
    Listing* listing = ListingOf(parent);
    std::string realParent(parent);
    if (!listing) {
        EntryInfo parentInfo;
        realParent = Find(realParent, &parentInfo);
        if (realParent.empty() || parentInfo.type != EntryType::Folder) return {};
        listing = ListingOf(realParent);
        if (!listing) return {};
    }
    return Lookup(*listing, realParent, name, info);
}

std::string FileSystem::Lookup(const Listing& listing, std::string_view folder, std::string_view name,
                               EntryInfo* info) {
    auto it = listing.names.find(FoldCase(name));
    if (it == listing.names.end()) return {};
    // Entries are sorted by name; an exact match wins.
    const DirEntry* pick = &it->second.front();
    for (const DirEntry& e : it->second) {
        if (e.name == name) pick = &e;
    }
    *info = EntryInfo{pick->type, false, 0};
    return JoinPath(folder, pick->name);
}

std::pair<std::string, std::string> FileSystem::SplitExistingParent(const std::string& rawPath) {
    std::string_view parent, name;
    if (!SplitPath(Trimmed(rawPath), &parent, &name)) throw FileError(kPathNotFound, rawPath);
    EntryInfo info;
    std::string realParent = Find(std::string(parent), &info);
    if (realParent.empty() || info.type != EntryType::Folder) throw FileError(kPathNotFound, rawPath);
    return {realParent, std::string(name)};
}

void FileSystem::NoteMoved(const std::string& from, const std::string& to) {
    std::string_view fromParent, toParent, name;
    SplitPath(from, &fromParent, &name);
    SplitPath(to, &toParent, &name);
    Forget(from, false);
    Add(to, EntryType::File, false);
    Restamp(fromParent);
    if (toParent != fromParent) Restamp(toParent);
}

void FileSystem::Restamp(std::string_view folder) {
    if (Listing* kept = Kept(folder)) {
        kept->stamp = disk_.Stamp(std::string(folder));
        kept->checkedInCall = call_;
    }
}

void FileSystem::NoteAdded(const std::string& path, EntryType type) { Add(path, type, true); }

void FileSystem::NoteRemoved(const std::string& path) { Forget(path, true); }

void FileSystem::Add(const std::string& path, EntryType type, bool restamp) {
    std::string_view parent, name;
    if (!SplitPath(path, &parent, &name)) return;
    Listing* kept = Kept(parent);
    if (!kept) return;
    auto& entries = kept->names[FoldCase(name)];
    auto same = std::find_if(entries.begin(), entries.end(), [&](const DirEntry& e) { return e.name == name; });
    if (same == entries.end()) {
        entries.push_back({std::string(name), type});
        if (entries.size() > 1) {
            std::sort(entries.begin(), entries.end(),
                      [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        }
    } else {
        same->type = type;
    }
    if (restamp) Restamp(parent);
}

void FileSystem::Forget(const std::string& path, bool restamp) {
    std::string_view parent, name;
    if (!SplitPath(path, &parent, &name)) return;
    Listing* kept = Kept(parent);
    if (!kept) return;
    auto entries = kept->names.find(FoldCase(name));
    if (entries != kept->names.end()) {
        std::erase_if(entries->second, [&](const DirEntry& e) { return e.name == name; });
        if (entries->second.empty()) kept->names.erase(entries);
    }
    if (restamp) Restamp(parent);
}

bool FileSystem::FileExists(const std::string& path) {
    CallScope scope(*this);
    EntryInfo info;
    return !Find(path, &info).empty() && info.type == EntryType::File;
}

bool FileSystem::FolderExists(const std::string& path) {
    CallScope scope(*this);
    EntryInfo info;
    return !Find(path, &info).empty() && info.type == EntryType::Folder;
}

Folder FileSystem::GetFolder(const std::string& path) {
    CallScope scope(*this);
    EntryInfo info;
    std::string found = Find(path, &info);
    if (found.empty() || info.type != EntryType::Folder) throw FileError(kPathNotFound, path);
    return Folder{found};
}

File FileSystem::GetFile(const std::string& path) {
    CallScope scope(*this);
    EntryInfo info;
    std::string found = Find(path, &info);
    if (found.empty() || info.type != EntryType::File) throw FileError(kFileNotFound, path);
    return File{found};
}

TextReader FileSystem::OpenTextRead(const File& file) {
    return TextReader(disk_.OpenRead(file.path), file.path);
}

std::uint64_t FileSystem::FileSize(const File& file) {
    return disk_.Stat(file.path).size;
}

void FileSystem::DeleteFile(const std::string& path, bool force) {
    CallScope scope(*this);
    EntryInfo info;
    std::string found = Find(path, &info);
    if (found.empty() || info.type != EntryType::File) throw FileError(kFileNotFound, path);
    if (!force && disk_.Stat(found).readOnly) throw FileError(kPermissionDenied, found);
    disk_.Remove(found);
    NoteRemoved(found);
}

Folder FileSystem::CreateFolder(const std::string& path) {
    CallScope scope(*this);
    auto [parent, name] = SplitExistingParent(path);
    std::string target = JoinPath(parent, name);
    EntryInfo info;
    if (!Find(target, &info).empty()) throw FileError(kFileAlreadyExists, path);
    disk_.MakeDir(target);
    NoteAdded(target, EntryType::Folder);
    return Folder{target};
}

void FileSystem::MoveFile(const std::string& from, const std::string& to) {
    CallScope scope(*this);
    File source = GetFile(from);
    auto [parent, name] = SplitExistingParent(to);
    std::string target = JoinPath(parent, name);
    EntryInfo info;
    if (!Find(target, &info).empty()) throw FileError(kFileAlreadyExists, target);
    disk_.RenameNoReplace(source.path, target);
    NoteMoved(source.path, target);
}

void FileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
    CallScope scope(*this);
    File source = GetFile(from);
    auto [parent, name] = SplitExistingParent(to);
    std::string target = JoinPath(parent, name);

    // Every file there whose name equals this one without regard to case is
    // the same-named file, the exact one included.
    std::vector<std::string> sameNamed;
    if (Listing* listing = ListingOf(parent)) {
        auto it = listing->names.find(FoldCase(name));
        if (it != listing->names.end()) {
            for (const DirEntry& e : it->second) sameNamed.push_back(JoinPath(parent, e.name));
        }
    }
    bool exactTaken = false;
    std::vector<std::string> others;
    for (const std::string& other : sameNamed) {
        EntryInfo info = disk_.Stat(other);
        if (info.type == EntryType::None) continue;
        if (info.type != EntryType::File) throw FileError(kFileAlreadyExists, other);
        if (info.readOnly) throw FileError(kPermissionDenied, other);
        if (other == target) exactTaken = true;
        else others.push_back(other);
    }

    bool replacedOthers = false;
    if (exactTaken) {
        // One step: the moved file takes the old one's place.
        disk_.RenameReplace(source.path, target);
    } else {
        try {
            disk_.RenameNoReplace(source.path, target);
        } catch (const FileError& e) {
            // A disk that folds case (Windows) takes the name in other letter
            // case for this very name: the new file replaces it in one step.
            if (e.number() != kFileAlreadyExists || others.size() != 1) throw;
            disk_.RenameReplace(source.path, target);
            // (Wine keeps the old name's letter case then.)
            replacedOthers = true;
        }
    }
    NoteMoved(source.path, target);
    // The same name in other letter case goes only once the new file is in.
    for (const std::string& other : others) {
        if (!replacedOthers) disk_.Remove(other);
        NoteRemoved(other);
    }
}

void FileSystem::ReplaceFileContent(const std::string& path, const std::string& bytes) {
    CallScope scope(*this);
    auto [parent, name] = SplitExistingParent(path);
    std::string target = JoinPath(parent, name);
    EntryInfo info;
    std::string found = Find(target, &info);
    if (!found.empty()) {
        if (info.type != EntryType::File) throw FileError(kPathFileAccessError, found);
        if (disk_.Stat(found).readOnly) throw FileError(kPermissionDenied, found);
        target = found;
    }
    std::string temp = JoinPath(parent, "." + name + ".new-" + std::to_string(::getpid()));
    auto stream = disk_.CreateNew(temp);
    try {
        stream->Write(bytes.data(), bytes.size());
        stream->Close();
        disk_.RenameReplace(temp, target);
    } catch (...) {
        stream.reset();
        try {
            disk_.Remove(temp);
        } catch (const FileError&) {
            // The hidden temporary file is all that is left; the old file is intact.
        }
        throw;
    }
    NoteAdded(target, EntryType::File);
}

std::vector<std::string> FileSystem::ListFiles(const std::string& folder, const std::string& pattern) {
    CallScope scope(*this);
    Folder f = GetFolder(folder);
    Listing* listing = ListingOf(f.path);
    if (!listing) throw FileError(kPathNotFound, folder);
    std::vector<std::string> names;
    for (const auto& [key, entries] : listing->names) {
        for (const DirEntry& e : entries) {
            if (e.type == EntryType::File && !IsHiddenName(e.name) && MatchesPattern(e.name, pattern)) {
                names.push_back(e.name);
            }
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tcc
