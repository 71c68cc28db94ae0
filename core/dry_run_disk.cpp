#include "core/dry_run_disk.h"

#include <string_view>
#include <unordered_set>

#include "core/file_error.h"
#include "core/paths.h"
#include "core/text_reader.h"

namespace tcc {
namespace {

// Parent folder and name of a path; no parent for a root or a lone name.
std::pair<std::string, std::string> ParentAndName(std::string_view path) {
    std::string_view parent, name = TrimmedPath(path);
    SplitPath(name, &parent, &name);
    return {std::string(parent), std::string(name)};
}

class MemoryWriteStream : public WriteStream {
public:
    explicit MemoryWriteStream(std::shared_ptr<std::string> bytes) : bytes_(std::move(bytes)) {}
    void Write(const char* data, std::size_t n) override { bytes_->append(data, n); }
    void Flush() override {}
    void Close() override {}

private:
    std::shared_ptr<std::string> bytes_;
};

}  // namespace

DryRunDisk::DryRunDisk(Disk& base) : base_(base), fold_(base.FoldsCase()) {}

std::string DryRunDisk::Key(const std::string& path) const {
    std::string key(TrimmedPath(path));
    if (!fold_) return key;
    for (char& c : key) c = IsPathSeparator(c) ? kSeparator : c;
    return base_.CaseKey(key);
}

const DryRunDisk::Node* DryRunDisk::Find(const std::string& rawPath) {
    if (nodes_.empty()) return nullptr;
    const std::string path = Key(rawPath);
    auto it = nodes_.find(path);
    if (it != nodes_.end()) return &it->second;
    // Below a changed entry the base disk has nothing to show: changed
    // entries are files, folders made here, or base folders removed empty.
    for (std::size_t pos = path.rfind(kSeparator); pos != std::string::npos && pos > 0;
         pos = path.rfind(kSeparator, pos - 1)) {
        if (nodes_.count(path.substr(0, pos))) return &below_;
    }
    return nullptr;
}

EntryInfo DryRunDisk::Info(const std::string& path) {
    const Node* node = Find(path);
    if (!node) return base_.Stat(path);
    EntryInfo info = node->info;
    if (node->bytes) info.size = node->bytes->size();
    return info;
}

void DryRunDisk::RequireParentFolder(const std::string& path) {
    const auto [parent, name] = ParentAndName(path);
    // The system takes no longer path, and no file system here a longer name.
    if (path.size() > base_.MaxPathLength()) throw FileError(kBadFileName, path);
    if (parent.empty() || Info(parent).type != EntryType::Folder) throw FileError(kPathNotFound, path);
    if (name.size() > 255) throw FileError(kBadFileName, path);
}

bool DryRunDisk::MayWrite(const std::string& path) {
    // A folder made in this run is this program's; the base's answer is kept.
    if (Find(path)) return true;
    auto [known, added] = mayWrite_.try_emplace(Key(path), true);
    if (added) known->second = base_.MayWrite(path);
    return known->second;
}

void DryRunDisk::RequireWritable(const std::string& path) {
    const std::string parent = ParentAndName(path).first;
    if (!MayWrite(parent)) throw FileError(kPermissionDenied, parent);
}

void DryRunDisk::Put(const std::string& rawPath, Node node) {
    auto [parent, name] = ParentAndName(rawPath);
    node.name = name;
    auto [it, added] = nodes_.insert_or_assign(Key(rawPath), std::move(node));
    if (added) changedIn_[Key(parent)].push_back(Key(name));
}

DryRunDisk::Node DryRunDisk::Take(const std::string& from) {
    const Node* node = Find(from);
    Node moved = node ? *node : Node{base_.Stat(from), from, nullptr, {}};
    Put(from, Node{});
    return moved;
}

EntryInfo DryRunDisk::Stat(const std::string& path) { return Info(path); }

std::vector<DirEntry> DryRunDisk::ReadDir(const std::string& rawFolder) {
    const std::string folder(TrimmedPath(rawFolder));
    std::vector<DirEntry> entries;
    if (const Node* node = Find(folder)) {
        if (node->info.type != EntryType::Folder) throw FileError(kPathNotFound, folder);
    } else {
        entries = base_.ReadDir(folder);
    }
    auto changed = changedIn_.find(Key(folder));
    if (changed == changedIn_.end()) return entries;
    // The base's entries that changed give way to what they are now.
    const std::unordered_set<std::string> names(changed->second.begin(), changed->second.end());
    std::erase_if(entries, [&](const DirEntry& e) { return names.count(Key(e.name)) != 0; });
    for (const std::string& name : changed->second) {
        const Node& node = nodes_.at(Key(JoinPath(folder, name)));
        // Names the commands give are hidden by the leading "." rule only
        // where the platform hides by name.
        if (node.info.type != EntryType::None) {
            entries.push_back({node.name, node.info.type, base_.HidesByName() && node.name[0] == '.', node.info.link});
        }
    }
    return entries;
}

std::unique_ptr<ReadStream> DryRunDisk::OpenRead(const std::string& path) {
    const Node* node = Find(path);
    if (!node) return base_.OpenRead(path);
    if (node->info.type == EntryType::None) throw FileError(kFileNotFound, path);
    if (node->info.type != EntryType::File) throw FileError(kPathFileAccessError, path);
    if (node->bytes) return std::make_unique<MemoryReadStream>(node->bytes);
    return base_.OpenRead(node->basePath);
}

std::unique_ptr<WriteStream> DryRunDisk::CreateNew(const std::string& path) {
    RequireParentFolder(path);
    if (Info(path).type != EntryType::None) throw FileError(kFileAlreadyExists, path);
    RequireWritable(path);
    auto bytes = std::make_shared<std::string>();
    Put(path, Node{{EntryType::File, false, 0}, {}, bytes, {}});
    return std::make_unique<MemoryWriteStream>(bytes);
}

void DryRunDisk::RenameNoReplace(const std::string& from, const std::string& to) {
    const EntryInfo source = Info(from);
    if (source.type == EntryType::None) throw FileError(kFileNotFound, from);
    RequireParentFolder(to);
    // Where case folds, a new letter case for the same name is no taken name.
    if (Key(from) != Key(to) && Info(to).type != EntryType::None) throw FileError(kFileAlreadyExists, to);
    // The commands move files only; a folder would take its contents along.
    if (source.type == EntryType::Folder) throw FileError(kPathFileAccessError, from);
    RequireWritable(from);
    RequireWritable(to);
    Put(to, Take(from));
}

void DryRunDisk::RenameReplace(const std::string& from, const std::string& to) {
    const EntryInfo source = Info(from);
    if (source.type == EntryType::None) throw FileError(kFileNotFound, from);
    RequireParentFolder(to);
    if (source.type == EntryType::Folder || Info(to).type == EntryType::Folder) {
        throw FileError(kPathFileAccessError, from);
    }
    RequireWritable(from);
    RequireWritable(to);
    if (Key(from) == Key(to)) return;
    // A disk that folds case keeps the replaced entry's name.
    std::string target = to;
    if (fold_ && Info(to).type == EntryType::File) {
        const auto [parent, name] = ParentAndName(to);
        if (const Node* node = Find(to)) {
            target = JoinPath(parent, node->name);
        } else {
            for (const DirEntry& e : base_.ReadDir(parent)) {
                if (Key(e.name) == Key(name)) target = JoinPath(parent, e.name);
            }
        }
    }
    Put(target, Take(from));
}

void DryRunDisk::Remove(const std::string& path) {
    const EntryInfo info = Info(path);
    if (info.type == EntryType::None) throw FileError(kFileNotFound, path);
    if (info.type == EntryType::Folder) throw FileError(kPathFileAccessError, path);
    RequireWritable(path);
    Put(path, Node{});
}

void DryRunDisk::MakeDir(const std::string& path) {
    RequireParentFolder(path);
    if (Info(path).type != EntryType::None) throw FileError(kFileAlreadyExists, path);
    RequireWritable(path);
    Put(path, Node{{EntryType::Folder, false, 0}, {}, nullptr, {}});
}

bool DryRunDisk::SameEntry(const std::string& a, const std::string& b) {
    // A file renamed here is still the base's file it came from; one made
    // here is no other entry.
    const auto origin = [this](const std::string& path) {
        const Node* node = Find(path);
        return !node ? path : node->bytes || node->info.type == EntryType::None ? std::string() : node->basePath;
    };
    const std::string baseA = origin(a), baseB = origin(b);
    if (baseA.empty() || baseB.empty()) return Key(a) == Key(b) && Info(a).type != EntryType::None;
    return base_.SameEntry(baseA, baseB);
}

void DryRunDisk::RemoveDir(const std::string& path) {
    if (Info(path).type != EntryType::Folder) throw FileError(kPathNotFound, path);
    if (!ReadDir(path).empty()) throw FileError(kFileAlreadyExists, path);
    Put(path, Node{});
}

void DryRunDisk::CopyAttributes(const std::string& from, const std::string& to) {
    const EntryInfo source = Info(from);
    if (source.type != EntryType::File) throw FileError(kFileNotFound, from);
    // Only a file made here can be written here; the read-only bit is all a
    // command asks of attributes.
    auto made = nodes_.find(Key(to));
    if (made == nodes_.end() || made->second.info.type != EntryType::File) throw FileError(kFileNotFound, to);
    made->second.info.readOnly = source.readOnly;
}

}  // namespace tcc
