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

Listing* FileSystem::Kept(std::string_view folder) {
    auto it = listings_.find(folder);
    return it == listings_.end() ? nullptr : &it->second;
}

Listing& FileSystem::ListingAt(std::string_view folder) {
    // Outside a command nothing would drop the listing again.
    if (depth_ == 0) throw std::logic_error("a folder listing outside a command");
    if (Listing* kept = Kept(folder)) return *kept;
    std::string path(folder);
    Listing listing(path, disk_, disk_.ReadDir(path));
    return listings_.emplace(std::move(path), std::move(listing)).first->second;
}

Listing& FileSystem::ListingOf(const Folder& folder) { return ListingAt(folder.path); }

// --- lookups -----------------------------------------------------------------

std::string FileSystem::Find(std::string_view rawPath, EntryType* type) {
    const std::string_view path = TrimmedPath(rawPath);
    std::string_view parent, name;
    const bool split = SplitPath(path, &parent, &name);
    // A folder this command has listed answers from its listing.
    if (split) {
        if (Listing* kept = Kept(parent)) {
            const DirEntry* e = kept->Find(name);
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
    const DirEntry* e = ListingAt(realParent).Find(name);
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

TextReader FileSystem::OpenTextRead(const File& file) {
    return TextReader(disk_.ReadText(disk_.OpenRead(file.path)), file.path);
}

std::uint64_t FileSystem::FileSize(const File& file) { return disk_.Stat(file.path).size; }

std::vector<std::string> FileSystem::ListFiles(const std::string& folder, const std::string& pattern) {
    Command scope(*this);
    Listing& listing = ListingOf(GetFolder(folder));
    std::vector<std::string> names;
    listing.InOrder([&](const DirEntry& e) {
        if (e.type == EntryType::File && !e.hidden && (pattern == "*" || MatchesPattern(e.name, pattern))) {
            names.push_back(e.name);
        }
    });
    return names;
}

// --- changes -----------------------------------------------------------------

void FileSystem::Rethrow(const FileError& error, std::string_view folder, std::string_view other) {
    if (error.number() == kPermissionDenied) {
        for (std::string_view f : {folder, other}) {
            if (!f.empty() && !disk_.MayWrite(std::string(f))) throw FileError(kPermissionDenied, std::string(f));
        }
    }
    throw;
}

Folder FileSystem::CreateFolder(const std::string& path) {
    Command scope(*this);
    auto [parent, name] = SplitExistingParent(path);
    std::string target = JoinPath(parent, name);
    EntryType type = EntryType::None;
    if (!Find(target, &type).empty()) throw FileError(kFileAlreadyExists, path);
    try {
        disk_.MakeDir(target);
        disk_.SyncFolder(parent);
    } catch (const FileError& e) {
        Rethrow(e, parent);
    }
    if (Listing* kept = Kept(parent)) kept->Add({name, EntryType::Folder, HiddenName(name)});
    return Folder{target};
}

bool FileSystem::Move(Listing& from, const std::string& name, Listing& to, const std::string& newName) {
    JoinPathInto(source_, from.path(), name);
    JoinPathInto(target_, to.path(), newName);
    try {
        Transfer(source_, target_, false);
    } catch (const FileError& e) {
        if (e.number() != kFileAlreadyExists) Rethrow(e, from.path(), to.path());
        // Taken meanwhile: from now on the listing knows the newcomer.
        const EntryInfo newcomer = disk_.Stat(target_);
        if (newcomer.type != EntryType::None) to.Add({newName, newcomer.type, HiddenName(newName)});
        return false;
    }
    // Taken first, as name may be the moved entry's own.
    const DirEntry* moved = from.Take(name);
    const bool hidden = moved ? moved->hidden : HiddenName(newName);
    to.Add({newName, EntryType::File, hidden, moved && moved->link});
    return true;
}

void FileSystem::MoveReplacing(Listing& from, std::string name, Listing& to, const std::string& newName) {
    // The file there of that name, checked before anything moves; one that
    // has gone meanwhile leaves the name free.
    const DirEntry* held = to.Find(newName);
    std::string onDisk = held && (held->name == newName || disk_.FoldsCase()) ? held->name : std::string();
    if (!onDisk.empty()) {
        const std::string path = JoinPath(to.path(), onDisk);
        const EntryInfo info = disk_.Stat(path);
        if (info.type == EntryType::None) {
            to.Take(onDisk);
            onDisk.clear();
        } else if (info.type != EntryType::File) {
            throw FileError(kFileAlreadyExists, path);
        } else if (info.readOnly) {
            throw FileError(kPermissionDenied, path);
        }
    }
    if (onDisk.empty()) {
        if (!Move(from, name, to, newName)) throw FileError(kFileAlreadyExists, JoinPath(to.path(), newName));
        return;
    }
    // Replaced in one step under the name as it stands, so that a volume that
    // folds case sees one name and no file is gone before its replacement is in.
    MoveOver(from, name, to, onDisk);
    if (onDisk != newName) {
        // Now the name takes the sorted file's own letter case. A volume that
        // refuses a rename in case only keeps the old case; the file is in.
        try {
            disk_.RenameNoReplace(JoinPath(to.path(), onDisk), JoinPath(to.path(), newName));
            to.Take(onDisk);
            to.Add({newName, EntryType::File, HiddenName(newName)});
        } catch (const FileError& e) {
            if (e.number() != kFileAlreadyExists) Rethrow(e, to.path());
        }
    }
}

namespace {

// A temporary name ends in the marker and this many hex digits.
constexpr std::string_view kTempMarker = ".tarnel-";
constexpr std::size_t kTempDigits = 12;

// The digits of a temporary name, which no earlier run is likely to have left.
std::string RandomPart() {
    static std::mt19937_64 rng(std::random_device{}() ^
                               static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    char buffer[kTempDigits + 1];
    std::snprintf(buffer, sizeof buffer, "%012llx", static_cast<unsigned long long>(rng() >> 16));
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

bool FileSystem::IsLeftover(std::string_view name) {
    if (name.size() <= 1 + kTempMarker.size() + kTempDigits || name[0] != '.') return false;
    const std::string_view digits = name.substr(name.size() - kTempDigits);
    return name.substr(0, name.size() - kTempDigits).ends_with(kTempMarker) &&
           digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::unique_ptr<WriteStream> FileSystem::CreateTemp(const std::string& folder, std::string_view name,
                                                    std::string* temp) {
    // As much of the name as leaves the temporary name within 255 bytes and
    // its path within the system's limit, cut before a whole character: a
    // name the disk takes is not refused for the copy's sake.
    const std::size_t fixed = 1 + kTempMarker.size() + kTempDigits, limit = disk_.MaxPathLength();
    const std::size_t room = std::min<std::size_t>(255, limit - std::min(limit, folder.size() + 1));
    std::size_t keep = std::min(name.size(), room - std::min(room, fixed));
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    std::string base = ".";
    base.append(name.substr(0, keep)).append(kTempMarker);
    // A name left by an earlier run that was cut short is passed over.
    for (int attempt = 0;; ++attempt) {
        *temp = JoinPath(folder, base + RandomPart());
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
    std::unique_ptr<WriteStream> stream;
    try {
        stream = CreateTemp(std::string(folder), name, &temp);
        const std::unique_ptr<ReadStream> in = disk_.OpenRead(source);
        std::vector<char> buffer(1 << 16);
        while (const std::size_t n = in->Read(buffer.data(), buffer.size())) stream->Write(buffer.data(), n);
        // The copy stands in for the file: its mode, times and owner come along.
        disk_.CopyAttributes(source, temp);
        // Its bytes are on the disk before its name can be.
        stream->Flush();
        stream->Close();
    } catch (const FileError& e) {
        if (stream) {
            stream.reset();
            RemoveQuietly(disk_, temp);
        }
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
    std::string_view from, to, name;
    SplitPath(TrimmedPath(source), &from, &name);
    SplitPath(TrimmedPath(target), &to, &name);
    // The original is to go once its copy is in: a folder it may not leave
    // refuses it before anything is copied, as it refuses a rename.
    if (!disk_.MayWrite(std::string(from))) throw FileError(kPermissionDenied, std::string(from));
    const std::string temp = CopyToTemp(source, target);
    try {
        replace ? disk_.RenameReplace(temp, target) : disk_.RenameNoReplace(temp, target);
    } catch (const FileError& e) {
        RemoveQuietly(disk_, temp);
        throw FileError(e.number(), e.path() == temp ? target : e.path());
    }
    // Only once the copy's name is on the disk itself does the original go.
    disk_.SyncFolder(std::string(to));
    disk_.Remove(source);
}

void FileSystem::MoveOver(Listing& from, const std::string& name, Listing& to, const std::string& onDisk) {
    try {
        Transfer(JoinPath(from.path(), name), JoinPath(to.path(), onDisk), true);
    } catch (const FileError& e) {
        Rethrow(e, from.path(), to.path());
    }
    from.Take(name);
    to.Add({onDisk, EntryType::File, HiddenName(onDisk)});
}

bool FileSystem::CopyBeside(Listing& folder, const std::string& name, const std::string& copyName) {
    const std::string target = JoinPath(folder.path(), copyName);
    try {
        const std::string temp = CopyToTemp(JoinPath(folder.path(), name), target);
        try {
            disk_.RenameNoReplace(temp, target);
        } catch (const FileError& e) {
            RemoveQuietly(disk_, temp);
            if (e.number() != kFileAlreadyExists) throw FileError(e.number(), target);
            return false;
        }
    } catch (const FileError& e) {
        Rethrow(e, folder.path());
    }
    folder.Add({copyName, EntryType::File, HiddenName(copyName)});
    return true;
}

std::vector<std::string> FileSystem::RemoveLeftovers(Listing& folder) {
    std::vector<std::string> names;
    folder.InOrder([&](const DirEntry& e) {
        if (e.type == EntryType::File && IsLeftover(e.name)) names.push_back(e.name);
    });
    for (const std::string& name : names) RemoveFile(folder, name);
    return names;
}

void FileSystem::RemoveFile(Listing& folder, const std::string& name) {
    try {
        disk_.Remove(JoinPath(folder.path(), name));
    } catch (const FileError& e) {
        Rethrow(e, folder.path());
    }
    folder.Take(name);
}

bool FileSystem::RemoveFolderIfEmpty(Listing& parent, const std::string& name) {
    const std::string path = JoinPath(parent.path(), name);
    if (!ListingAt(path).Empty()) return false;
    try {
        disk_.RemoveDir(path);
    } catch (const FileError& e) {
        // Something came in meanwhile.
        if (e.number() == kFileAlreadyExists) return false;
        Rethrow(e, parent.path());
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
        if (ReadFull(*inB, bufferB.data(), kChunk) != n ||
            !std::equal(bufferA.begin(), bufferA.begin() + n, bufferB.begin())) {
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
        stream->Flush();
        stream->Close();
        disk_.RenameReplace(temp, target);
    } catch (const FileError& e) {
        if (stream) {
            stream.reset();
            RemoveQuietly(disk_, temp);
        }
        // The user knows the index, not the temporary name; a folder that may
        // not be written is named as the cause.
        const bool folder = e.number() == kPermissionDenied && !disk_.MayWrite(parent);
        throw FileError(e.number(), folder ? parent : target);
    }
    if (Listing* kept = Kept(parent)) kept->Add({LastComponent(target), EntryType::File, false});
}

}  // namespace tcc
