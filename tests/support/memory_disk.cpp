#include "tests/support/memory_disk.h"

#include <algorithm>
#include <cstring>

#include "core/file_error.h"

namespace tcc {

std::string ParentOf(const std::string& path) {
    auto pos = path.find_last_of('/');
    return pos == std::string::npos ? "" : pos == 0 ? "/" : path.substr(0, pos);
}

// Reads a copy of the content taken at open; writes append to the file.
class MemoryDisk::Stream : public ReadStream, public WriteStream {
public:
    Stream(MemoryDisk& disk, std::string path, std::string content)
        : disk_(disk), path_(std::move(path)), content_(std::move(content)) { ++disk_.openStreams_; }
    ~Stream() override { --disk_.openStreams_; }

    std::size_t Read(char* buffer, std::size_t n) override {
        disk_.Operation("read", path_);
        std::size_t take = std::min({n, std::size_t{7}, content_.size() - pos_});
        std::memcpy(buffer, content_.data() + pos_, take);
        pos_ += take;
        return take;
    }
    void Write(const char* data, std::size_t n) override {
        disk_.Operation("write", path_);
        if (!disk_.HasFile(path_)) throw FileError(kFileNotFound, path_);
        disk_.Find(path_)->content.append(data, n);
    }
    void Flush() override {
        disk_.Operation("flush", path_);
        if (const Node* file = disk_.Find(path_)) disk_.flushed_[file->id] = file->content;
    }
    void Close() override { disk_.Operation("close", path_); }

private:
    MemoryDisk& disk_;
    std::string path_, content_;
    std::size_t pos_ = 0;
};

MemoryDisk::MemoryDisk(bool foldCase, std::size_t maxPath, CaseRule caseKey)
    : foldCase_(foldCase), maxPath_(maxPath), caseKey_(caseKey) {
    nodes_["/"] = Node{EntryType::Folder, "", false, "/"};
}

std::string MemoryDisk::Key(const std::string& path) const { return foldCase_ ? caseKey_(path) : path; }

MemoryDisk::Node* MemoryDisk::Find(const std::string& path) const {
    auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

void MemoryDisk::AddFolder(const std::string& path, bool readOnly) {
    if (path != "/" && !HasFolder(ParentOf(path))) AddFolder(ParentOf(path));
    if (!HasFolder(path)) Record(path, "", &(nodes_[Key(path)] = Node{EntryType::Folder, "", readOnly, path}), true);
}

void MemoryDisk::AddFile(const std::string& path, const std::string& content, bool readOnly) {
    AddFolder(ParentOf(path));
    Record(path, "", &(nodes_[Key(path)] = Node{EntryType::File, content, readOnly, path, ++ids_}), true);
    flushed_[ids_] = content;
}

MemoryDisk MemoryDisk::AfterCrash(bool powerCut, bool loseMain, bool loseApart) const {
    MemoryDisk after(foldCase_, maxPath_, caseKey_);
    after.device_ = device_;
    after.ids_ = ids_;
    std::map<std::string, Node>& tree = after.nodes_;
    if (!powerCut) tree = nodes_;
    for (const Change& c : powerCut ? changes_ : std::vector<Change>{}) {
        if (!c.synced && (!device_.empty() && Key(c.folder + "/").starts_with(device_) ? loseApart : loseMain)) continue;
        auto moved = tree.extract(Key(c.from));  // a move whose file is not there moves nothing
        if (c.node || moved) (tree[Key(c.to)] = c.node ? *c.node : moved.mapped()).path = c.to;
        else if (c.from.empty()) tree.erase(Key(c.to));
    }
    // What lies in a folder that is gone is gone (parents come first); a file holds what was flushed.
    for (auto it = tree.begin(); powerCut && it != tree.end();) {
        it->second.content = flushed_.count(it->second.id) ? flushed_.at(it->second.id) : "";
        it = it->first == "/" || after.HasFolder(ParentOf(it->second.path)) ? std::next(it) : tree.erase(it);
    }
    for (const auto& [key, node] : tree) after.Record(node.path, "", &node, true), after.flushed_[node.id] = node.content;
    return after;
}

std::map<std::string, std::string> MemoryDisk::Files() const {
    std::map<std::string, std::string> files;
    for (const auto& [key, node] : nodes_) {
        if (node.type == EntryType::File) files[node.path] = node.content;
    }
    return files;
}

void MemoryDisk::Operation(const std::string& kind, const std::string& path, const std::string& path2) {
    log_.push_back({kind, path, path2});
    if (hook_) {
        if (auto number = hook_(log_.back())) throw FileError(*number, path);
    }
    if (kind != "stat" && std::max(path.size(), path2.size()) > maxPath_) throw FileError(kBadFileName, path);
}

void MemoryDisk::Put(const std::string& kind, const std::string& path, Node node, const std::string& from) {
    if (!HasFolder(ParentOf(path))) throw FileError(kPathNotFound, path);
    if (path.size() - ParentOf(path).size() > 256) throw FileError(kBadFileName, path);
    const Node* old = from.empty() || Key(from) != Key(path) ? Find(path) : nullptr;  // the same name in new case: no other entry
    if (old && (kind != "replace" || old->type != EntryType::File)) {
        throw FileError(kind == "replace" ? kPathFileAccessError : kFileAlreadyExists, path);
    }
    if (!MayWrite(ParentOf(path)) || (!from.empty() && !MayWrite(ParentOf(from)))) throw FileError(kPermissionDenied, from.empty() ? path : from);
    node.path = path;
    Record(path, from, from.empty() ? &node : nullptr, false);
    nodes_[Key(path)] = std::move(node);
}

EntryInfo MemoryDisk::Stat(const std::string& path) {
    Operation("stat", path);
    const Node* n = path.size() > maxPath_ ? nullptr : Find(path);
    return n ? EntryInfo{n->type, n->readOnly, n->content.size()} : EntryInfo{};
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
        entries.push_back({name, it->second.type, name[0] == '.'});
    }
    return entries;
}

std::unique_ptr<ReadStream> MemoryDisk::OpenRead(const std::string& path) {
    Operation("open", path);
    if (!HasFile(path)) throw FileError(kFileNotFound, path);
    return std::make_unique<Stream>(*this, path, Find(path)->content);
}

std::unique_ptr<WriteStream> MemoryDisk::CreateNew(const std::string& path) {
    Operation("create", path);
    Put("create", path, Node{EntryType::File, "", false, "", ++ids_});
    return std::make_unique<Stream>(*this, path, "");
}

void MemoryDisk::Move(const std::string& kind, const std::string& from, const std::string& to) {
    Operation(kind, from, to);
    const Node* src = Find(from);
    if (!src) throw FileError(kFileNotFound, from);
    if (src->type != EntryType::File) throw FileError(kPathFileAccessError, from);
    if (!device_.empty() && Key(from).starts_with(device_) != Key(to).starts_with(device_)) throw FileError(kRenameAcrossDrives, from);
    Put(kind, to, *src, from);
    if (Key(to) != Key(from)) nodes_.erase(Key(from));
}

void MemoryDisk::Remove(const std::string& path) {
    Operation("remove", path);
    const Node* n = Find(path);
    if (!n) throw FileError(kFileNotFound, path);
    if (n->type != EntryType::File) throw FileError(kPathFileAccessError, path);
    if (!MayWrite(ParentOf(path))) throw FileError(kPermissionDenied, path);
    nodes_.erase(Key(path));
    Record(path, "", nullptr, false);
}

void MemoryDisk::RemoveDir(const std::string& path) {
    Operation("rmdir", path);
    const auto below = nodes_.lower_bound(Key(path) + "/");
    if (!HasFolder(path) || (below != nodes_.end() && below->first.starts_with(Key(path) + "/"))) throw FileError(kFileAlreadyExists, path);
    nodes_.erase(Key(path));
    Record(path, "", nullptr, false);
}

void MemoryDisk::SyncFolder(const std::string& path) {
    Operation("sync", path);
    for (Change& c : changes_) c.synced = c.synced || Key(c.folder) == Key(path);
}

void MemoryDisk::CopyAttributes(const std::string& from, const std::string& to) {
    Operation("attrs", from, to);
    if (HasFile(from) && HasFile(to)) Find(to)->readOnly = Find(from)->readOnly;
}

void MemoryDisk::MakeDir(const std::string& path) {
    Operation("mkdir", path);
    Put("mkdir", path, Node{EntryType::Folder, {}, false, {}});
}

}  // namespace tcc
