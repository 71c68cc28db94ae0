#include "core/file_system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "core/file_error.h"

namespace tcc {

std::string Folder::Name() const { return LastComponent(path); }
std::string File::Name() const { return LastComponent(path); }

FileSystem::FileSystem(Disk& disk) : disk_(disk) {}

// --- listings --------------------------------------------------------------

const FileSystem::Entry* FileSystem::Listing::Find(std::string_view name) const {
    const std::vector<Entry>* same = SameNamed(name);
    if (!same) return nullptr;
    for (const Entry& e : *same) {
        if (e.name == name) return &e;
    }
    return &same->front();
}

const std::vector<FileSystem::Entry>* FileSystem::Listing::SameNamed(std::string_view name) const {
    auto it = names_.find(FoldCase(name));
    return it == names_.end() ? nullptr : &it->second;
}

void FileSystem::Listing::Add(Entry entry) {
    std::vector<Entry>& same = names_[FoldCase(entry.name)];
    auto at = std::lower_bound(same.begin(), same.end(), entry.name,
                               [](const Entry& e, const std::string& n) { return e.name < n; });
    if (at != same.end() && at->name == entry.name) *at = std::move(entry);
    else same.insert(at, std::move(entry));
}

std::optional<FileSystem::Entry> FileSystem::Listing::Take(std::string_view name) {
    auto it = names_.find(FoldCase(name));
    if (it == names_.end()) return std::nullopt;
    auto at = std::find_if(it->second.begin(), it->second.end(), [&](const Entry& e) { return e.name == name; });
    if (at == it->second.end()) return std::nullopt;
    std::optional<Entry> taken(std::move(*at));
    it->second.erase(at);
    if (it->second.empty()) names_.erase(it);
    return taken;
}

FileSystem::Listing* FileSystem::Kept(std::string_view folder) {
    auto it = listings_.find(folder);
    return it == listings_.end() ? nullptr : &it->second;
}

FileSystem::Listing& FileSystem::ListingAt(std::string_view folder) {
    // Outside a command nothing would drop the listing again.
    if (depth_ == 0) throw std::logic_error("a folder listing outside a command");
    if (Listing* kept = Kept(folder)) return *kept;
    Listing fresh;
    fresh.path_ = std::string(folder);
    std::vector<DirEntry> entries = disk_.ReadDir(fresh.path_);
    fresh.names_.reserve(entries.size());
    for (DirEntry& e : entries) {
        std::string key = FoldCase(e.name);
        fresh.names_[std::move(key)].push_back({std::move(e.name), e.type, e.hidden, false});
    }
    for (auto& [key, same] : fresh.names_) {
        if (same.size() > 1) {
            std::sort(same.begin(), same.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
        }
    }
    std::string key = fresh.path_;
    return listings_.emplace(std::move(key), std::move(fresh)).first->second;
}

FileSystem::Listing& FileSystem::ListingOf(const Folder& folder) { return ListingAt(folder.path); }

// --- lookups -----------------------------------------------------------------

std::string FileSystem::Find(std::string_view rawPath, EntryType* type) {
    const std::string_view path = TrimmedPath(rawPath);
    std::string_view parent, name;
    const bool split = SplitPath(path, &parent, &name);
    // A folder this command has listed answers from its listing.
    if (split) {
        if (Listing* kept = Kept(parent)) {
            const Entry* e = kept->Find(name);
            if (!e) return {};
            *type = e->type;
            return JoinPath(parent, e->name);
        }
    }
    const EntryInfo exact = disk_.Stat(std::string(path));
    if (exact.type != EntryType::None) {
        *type = exact.type;
        return std::string(path);
    }
    if (!split || name.find('\0') != std::string_view::npos) return {};
    EntryType parentType = EntryType::None;
    const std::string realParent = Find(parent, &parentType);
    if (realParent.empty() || parentType != EntryType::Folder) return {};
    const Entry* e = ListingAt(realParent).Find(name);
    if (!e) return {};
    *type = e->type;
    return JoinPath(realParent, e->name);
}

std::pair<std::string, std::string> FileSystem::SplitExistingParent(const std::string& rawPath) {
    std::string_view parent, name;
    if (!SplitPath(TrimmedPath(rawPath), &parent, &name)) throw FileError(kPathNotFound, rawPath);
    EntryType type = EntryType::None;
    std::string realParent = Find(parent, &type);
    if (realParent.empty() || type != EntryType::Folder) throw FileError(kPathNotFound, rawPath);
    return {realParent, std::string(name)};
}

bool FileSystem::FileExists(const std::string& path) {
    Command scope(*this);
    EntryType type = EntryType::None;
    return !Find(path, &type).empty() && type == EntryType::File;
}

bool FileSystem::FolderExists(const std::string& path) {
    Command scope(*this);
    EntryType type = EntryType::None;
    return !Find(path, &type).empty() && type == EntryType::Folder;
}

Folder FileSystem::GetFolder(const std::string& path) {
    Command scope(*this);
    EntryType type = EntryType::None;
    std::string found = Find(path, &type);
    if (found.empty() || type != EntryType::Folder) throw FileError(kPathNotFound, path);
    return Folder{found};
}

File FileSystem::GetFile(const std::string& path) {
    Command scope(*this);
    EntryType type = EntryType::None;
    std::string found = Find(path, &type);
    if (found.empty() || type != EntryType::File) throw FileError(kFileNotFound, path);
    return File{found};
}

TextReader FileSystem::OpenTextRead(const File& file) { return TextReader(disk_.OpenRead(file.path), file.path); }

std::uint64_t FileSystem::FileSize(const File& file) { return disk_.Stat(file.path).size; }

std::vector<std::string> FileSystem::ListFiles(const std::string& folder, const std::string& pattern) {
    Command scope(*this);
    const Listing& listing = ListingOf(GetFolder(folder));
    std::vector<std::string> names;
    for (const auto& [key, same] : listing.names_) {
        for (const Entry& e : same) {
            if (e.type == EntryType::File && !e.hidden && MatchesPattern(e.name, pattern)) names.push_back(e.name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// --- changes -----------------------------------------------------------------

Folder FileSystem::CreateFolder(const std::string& path) {
    Command scope(*this);
    auto [parent, name] = SplitExistingParent(path);
    std::string target = JoinPath(parent, name);
    EntryType type = EntryType::None;
    if (!Find(target, &type).empty()) throw FileError(kFileAlreadyExists, path);
    disk_.MakeDir(target);
    if (Listing* kept = Kept(parent)) kept->Add({name, EntryType::Folder, disk_.HidesByName() && name[0] == '.', true});
    return Folder{target};
}

bool FileSystem::Move(Listing& from, std::string name, Listing& to, const std::string& newName) {
    const std::string source = JoinPath(from.path_, name);
    const std::string target = JoinPath(to.path_, newName);
    try {
        Transfer(source, target, false);
    } catch (const FileError& e) {
        if (e.number() != kFileAlreadyExists) throw;
        // Taken meanwhile: from now on the listing knows the newcomer.
        const EntryInfo newcomer = disk_.Stat(target);
        if (newcomer.type != EntryType::None) to.Add({newName, newcomer.type, disk_.HidesByName() && newName[0] == '.', true});
        return false;
    }
    const std::optional<Entry> moved = from.Take(name);
    const bool hidden = moved ? moved->hidden : disk_.HidesByName() && newName[0] == '.';
    to.Add({newName, EntryType::File, hidden, true});
    return true;
}

void FileSystem::MoveReplacing(Listing& from, std::string name, Listing& to, const std::string& newName) {
    const std::vector<Entry>* listed = to.SameNamed(newName);
    if (!listed) {
        if (!Move(from, name, to, newName)) throw FileError(kFileAlreadyExists, JoinPath(to.path_, newName));
        return;
    }
    // The files there that still stand, each checked before anything moves.
    std::vector<std::string> same;
    for (const Entry& e : *listed) {
        const std::string path = JoinPath(to.path_, e.name);
        const EntryInfo info = disk_.Stat(path);
        if (info.type == EntryType::None) continue;
        if (info.type != EntryType::File) throw FileError(kFileAlreadyExists, path);
        if (info.readOnly) throw FileError(kPermissionDenied, path);
        same.push_back(e.name);
    }
    if (same.empty()) {
        for (const Entry& e : std::vector<Entry>(*listed)) to.Take(e.name);
        if (!Move(from, name, to, newName)) throw FileError(kFileAlreadyExists, JoinPath(to.path_, newName));
        return;
    }
    // The exact name if it stands, else the first: replaced in one step, so
    // that a volume that folds case sees one name and no file is gone before
    // its replacement is in.
    auto exact = std::find(same.begin(), same.end(), newName);
    const std::string onDisk = exact != same.end() ? *exact : same.front();
    same.erase(std::find(same.begin(), same.end(), onDisk));
    MoveOver(from, name, to, onDisk);
    if (onDisk != newName) {
        // Now the name takes the sorted file's own letter case. A volume that
        // refuses a rename in case only keeps the old case; the file is in.
        try {
            disk_.RenameNoReplace(JoinPath(to.path_, onDisk), JoinPath(to.path_, newName));
            to.Take(onDisk);
            to.Add({newName, EntryType::File, disk_.HidesByName() && newName[0] == '.', true});
        } catch (const FileError& e) {
            if (e.number() != kFileAlreadyExists) throw;
        }
    }
    // On a volume where case counts, further same-named files go now.
    for (const std::string& other : same) {
        disk_.Remove(JoinPath(to.path_, other));
        to.Take(other);
    }
}

namespace {

// A part of a temporary name that no earlier run is likely to have left.
std::string RandomPart() {
    static std::mt19937_64 rng(std::random_device{}() ^
                               static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(rng()));
    return buffer;
}

// Reads until n bytes are in or the file ends; answers how many came.
std::size_t ReadFull(ReadStream& stream, char* buffer, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const std::size_t more = stream.Read(buffer + got, n - got);
        if (more == 0) break;
        got += more;
    }
    return got;
}

// Removes a temporary file after a failure; the failure is what the user
// hears of, and the original is intact either way.
void RemoveQuietly(Disk& disk, const std::string& path) {
    try {
        disk.Remove(path);
    } catch (const FileError&) {
    }
}

}  // namespace

std::unique_ptr<WriteStream> FileSystem::CreateTemp(const std::string& folder, const std::string& name,
                                                    std::string* temp) {
    // A name left by an earlier run that was cut short is passed over.
    for (int attempt = 0;; ++attempt) {
        *temp = JoinPath(folder, "." + name + ".new-" + RandomPart());
        try {
            return disk_.CreateNew(*temp);
        } catch (const FileError& e) {
            if (e.number() != kFileAlreadyExists || attempt == 15) throw;
        }
    }
}

std::string FileSystem::CopyToTemp(const std::string& source, const std::string& target) {
    std::string_view folder, name;
    SplitPath(TrimmedPath(target), &folder, &name);
    std::string temp;
    std::unique_ptr<WriteStream> stream = CreateTemp(std::string(folder), std::string(name), &temp);
    try {
        const std::unique_ptr<ReadStream> in = disk_.OpenRead(source);
        std::vector<char> buffer(1 << 16);
        while (const std::size_t n = in->Read(buffer.data(), buffer.size())) stream->Write(buffer.data(), n);
        stream->Close();
    } catch (const FileError& e) {
        stream.reset();
        RemoveQuietly(disk_, temp);
        throw FileError(e.number(), e.path() == source ? source : target);
    }
    return temp;
}

void FileSystem::Transfer(const std::string& source, const std::string& target, bool replace) {
    try {
        replace ? disk_.RenameReplace(source, target) : disk_.RenameNoReplace(source, target);
        return;
    } catch (const FileError& e) {
        if (e.number() != kRenameAcrossDrives) throw;
    }
    const std::string temp = CopyToTemp(source, target);
    try {
        replace ? disk_.RenameReplace(temp, target) : disk_.RenameNoReplace(temp, target);
    } catch (const FileError& e) {
        RemoveQuietly(disk_, temp);
        throw FileError(e.number(), e.path() == temp ? target : e.path());
    }
    // Only now that the copy is in place does the original go.
    disk_.Remove(source);
}

void FileSystem::MoveOver(Listing& from, const std::string& name, Listing& to, const std::string& onDisk) {
    Transfer(JoinPath(from.path_, name), JoinPath(to.path_, onDisk), true);
    from.Take(name);
    to.Add({onDisk, EntryType::File, disk_.HidesByName() && onDisk[0] == '.', true});
}

bool FileSystem::CopyBeside(Listing& folder, const std::string& name, const std::string& copyName) {
    const std::string target = JoinPath(folder.path_, copyName);
    const std::string temp = CopyToTemp(JoinPath(folder.path_, name), target);
    try {
        disk_.RenameNoReplace(temp, target);
    } catch (const FileError& e) {
        RemoveQuietly(disk_, temp);
        if (e.number() != kFileAlreadyExists) throw FileError(e.number(), target);
        return false;
    }
    folder.Add({copyName, EntryType::File, disk_.HidesByName() && copyName[0] == '.', true});
    return true;
}

void FileSystem::RemoveFile(Listing& folder, const std::string& name) {
    disk_.Remove(JoinPath(folder.path_, name));
    folder.Take(name);
}

bool FileSystem::RemoveFolderIfEmpty(Listing& parent, const std::string& name) {
    const std::string path = JoinPath(parent.path_, name);
    if (!ListingAt(path).names_.empty()) return false;
    try {
        disk_.RemoveDir(path);
    } catch (const FileError& e) {
        if (e.number() != kFileAlreadyExists) throw;
        return false;
    }
    listings_.erase(path);
    parent.Take(name);
    return true;
}

bool FileSystem::SameContent(const std::string& a, const std::string& b) {
    if (disk_.Stat(a).size != disk_.Stat(b).size) return false;
    const std::unique_ptr<ReadStream> inA = disk_.OpenRead(a), inB = disk_.OpenRead(b);
    constexpr std::size_t kChunk = 1 << 16;
    std::vector<char> bufferA(kChunk), bufferB(kChunk);
    for (;;) {
        const std::size_t n = ReadFull(*inA, bufferA.data(), kChunk);
        if (ReadFull(*inB, bufferB.data(), kChunk) != n || !std::equal(bufferA.begin(), bufferA.begin() + n, bufferB.begin())) {
            return false;
        }
        if (n < kChunk) return true;
    }
}

void FileSystem::ReplaceFileContent(const std::string& path, const std::string& bytes) {
    Command scope(*this);
    auto [parent, name] = SplitExistingParent(path);
    std::string target = JoinPath(parent, name);
    EntryType type = EntryType::None;
    const std::string found = Find(target, &type);
    if (!found.empty()) {
        if (type != EntryType::File) throw FileError(kPathFileAccessError, found);
        if (disk_.Stat(found).readOnly) throw FileError(kPermissionDenied, found);
        target = found;
    }
    std::string temp;
    std::unique_ptr<WriteStream> stream;
    try {
        stream = CreateTemp(parent, name, &temp);
        stream->Write(bytes.data(), bytes.size());
        stream->Close();
        disk_.RenameReplace(temp, target);
    } catch (const FileError& e) {
        if (stream) {
            stream.reset();
            RemoveQuietly(disk_, temp);
        }
        // The user knows the index, not the temporary name.
        throw FileError(e.number(), target);
    }
    if (Listing* kept = Kept(parent)) kept->Add({LastComponent(target), EntryType::File, false, true});
}

}  // namespace tcc
