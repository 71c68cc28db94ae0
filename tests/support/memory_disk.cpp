#include "tests/support/memory_disk.h"

#include <algorithm>
#include <cstring>

#include "core/file_error.h"
#include "core/file_system.h"

namespace tcc {

std::string ParentOf(const std::string& path) {
    auto pos = path.find_last_of('/');
    if (pos == std::string::npos) return "";
    return pos == 0 ? "/" : path.substr(0, pos);
}

namespace {

class MemoryReadStream : public ReadStream {
public:
    MemoryReadStream(MemoryDisk& disk, std::string path, std::string content)
        : disk_(disk), path_(std::move(path)), content_(std::move(content)) {}
    ~MemoryReadStream() override { disk_.StreamClosed(); }

    std::size_t Read(char* buffer, std::size_t n) override {
        disk_.Operation("read", path_);
        std::size_t take = std::min({n, disk_.readChunk(), content_.size() - pos_});
        std::memcpy(buffer, content_.data() + pos_, take);
        pos_ += take;
        return take;
    }

private:
    MemoryDisk& disk_;
    std::string path_;
    std::string content_;
    std::size_t pos_ = 0;
};

class MemoryWriteStream : public WriteStream {
public:
    MemoryWriteStream(MemoryDisk& disk, std::string path) : disk_(disk), path_(std::move(path)) {}
    ~MemoryWriteStream() override { disk_.StreamClosed(); }

    void Write(const char* data, std::size_t n) override {
        disk_.Operation("write", path_);
        disk_.Append(path_, data, n);
    }
    void Close() override { disk_.Operation("close", path_); }

private:
    MemoryDisk& disk_;
    std::string path_;
};

}  // namespace

MemoryDisk::MemoryDisk(bool foldCase) : foldCase_(foldCase) { nodes_["/"] = Node{EntryType::Folder, "", false, "/"}; }

std::string MemoryDisk::Key(const std::string& path) const { return foldCase_ ? FoldCase(path) : path; }

void MemoryDisk::AddFolder(const std::string& path) {
    if (path != "/" && !HasFolder(ParentOf(path))) AddFolder(ParentOf(path));
    if (!HasFolder(path)) nodes_[Key(path)] = Node{EntryType::Folder, "", false, path};
}

void MemoryDisk::AddFile(const std::string& path, const std::string& content, bool readOnly) {
    if (!HasFolder(ParentOf(path))) AddFolder(ParentOf(path));
    nodes_[Key(path)] = Node{EntryType::File, content, readOnly, path};
}

bool MemoryDisk::HasFile(const std::string& path) const { return Find(path) && Find(path)->type == EntryType::File; }

bool MemoryDisk::HasFolder(const std::string& path) const {
    return Find(path) && Find(path)->type == EntryType::Folder;
}

std::string MemoryDisk::Content(const std::string& path) const {
    const Node* n = Find(path);
    return n ? n->content : std::string();
}

std::map<std::string, std::string> MemoryDisk::Files() const {
    std::map<std::string, std::string> files;
    for (const auto& [key, node] : nodes_) {
        if (node.type == EntryType::File) files[node.path] = node.content;
    }
    return files;
}

void MemoryDisk::FailAt(long k, int number) {
    failAt_ = operations_ + k;
    failNumber_ = number;
}

long MemoryDisk::count(const std::string& kind) const {
    return std::count_if(log_.begin(), log_.end(), [&](const Op& op) { return op.kind == kind; });
}

void MemoryDisk::Operation(const std::string& kind, const std::string& path, const std::string& path2) {
    Op op{kind, path, path2};
    log_.push_back(op);
    ++operations_;
    if (failAt_ != 0 && operations_ == failAt_) {
        failAt_ = 0;
        throw FileError(failNumber_, path);
    }
    if (hook_) {
        if (auto number = hook_(op)) throw FileError(*number, path);
    }
}

const MemoryDisk::Node* MemoryDisk::Find(const std::string& path) const {
    auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

void MemoryDisk::RequireParentFolder(const std::string& path) const {
    if (!HasFolder(ParentOf(path))) throw FileError(kPathNotFound, path);
}

void MemoryDisk::Append(const std::string& path, const char* data, std::size_t n) {
    auto it = nodes_.find(Key(path));
    if (it == nodes_.end()) throw FileError(kFileNotFound, path);
    it->second.content.append(data, n);
}

EntryInfo MemoryDisk::Stat(const std::string& path) {
    Operation("stat", path);
    const Node* n = Find(path);
    if (!n) return {};
    return {n->type, n->readOnly, n->content.size()};
}

std::vector<DirEntry> MemoryDisk::ReadDir(const std::string& folder) {
    Operation("readdir", folder);
    if (!HasFolder(folder)) throw FileError(kPathNotFound, folder);
    std::string prefix = Key(folder == "/" ? "/" : folder + "/");
    std::vector<DirEntry> entries;
    for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix); ++it) {
        std::string rest = it->first.substr(prefix.size());
        if (rest.empty() || rest.find('/') != std::string::npos) continue;
        std::string name = it->second.path.substr(it->second.path.size() - rest.size());
        const bool hidden = name[0] == '.';
        entries.push_back({std::move(name), it->second.type, hidden});
    }
    return entries;
}

std::unique_ptr<ReadStream> MemoryDisk::OpenRead(const std::string& path) {
    Operation("open", path);
    const Node* n = Find(path);
    if (!n || n->type != EntryType::File) throw FileError(kFileNotFound, path);
    ++openStreams_;
    return std::make_unique<MemoryReadStream>(*this, path, n->content);
}

std::unique_ptr<WriteStream> MemoryDisk::CreateNew(const std::string& path) {
    Operation("create", path);
    RequireParentFolder(path);
    if (Find(path)) throw FileError(kFileAlreadyExists, path);
    nodes_[Key(path)] = Node{EntryType::File, "", false, path};
    ++openStreams_;
    return std::make_unique<MemoryWriteStream>(*this, path);
}

void MemoryDisk::RenameNoReplace(const std::string& from, const std::string& to) { Move("rename", from, to); }

void MemoryDisk::RenameReplace(const std::string& from, const std::string& to) { Move("replace", from, to); }

void MemoryDisk::Move(const std::string& kind, const std::string& from, const std::string& to) {
    Operation(kind, from, to);
    const Node* src = Find(from);
    if (!src) throw FileError(kFileNotFound, from);
    if (src->type != EntryType::File) throw FileError(kPathFileAccessError, from);
    RequireParentFolder(to);
    // On a volume that folds case a rename in case only is allowed.
    const Node* old = Key(to) == Key(from) ? nullptr : Find(to);
    if (old) {
        if (kind == "rename") throw FileError(kFileAlreadyExists, to);
        if (old->type != EntryType::File) throw FileError(kPathFileAccessError, to);
    }
    Node moved = *src;
    moved.path = to;
    nodes_.erase(Key(from));
    nodes_[Key(to)] = moved;
}

void MemoryDisk::Remove(const std::string& path) {
    Operation("remove", path);
    const Node* n = Find(path);
    if (!n) throw FileError(kFileNotFound, path);
    if (n->type != EntryType::File) throw FileError(kPathFileAccessError, path);
    nodes_.erase(Key(path));
}

void MemoryDisk::MakeDir(const std::string& path) {
    Operation("mkdir", path);
    RequireParentFolder(path);
    if (Find(path)) throw FileError(kFileAlreadyExists, path);
    nodes_[Key(path)] = Node{EntryType::Folder, "", false, path};
}

}  // namespace tcc
