#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/disk.h"

namespace tcc {

// A disk for a dry run: it reads through to a base disk and keeps every
// change in memory, so the commands run unchanged over it and see the folder
// as a real run would leave it, while the base disk is never written.
//
// Files may be created, renamed, replaced and removed, and folders created
// and, when empty, removed, as the commands do; moving a folder is refused. Names are
// compared as the base disk compares them: exactly on Linux, without regard
// to letter case on Windows.
class DryRunDisk : public Disk {
public:
    explicit DryRunDisk(Disk& base);

    EntryInfo Stat(const std::string& path) override;
    std::vector<DirEntry> ReadDir(const std::string& folder) override;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path) override;
    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override;
    void RenameNoReplace(const std::string& from, const std::string& to) override;
    void RenameReplace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    void MakeDir(const std::string& path) override;
    void RemoveDir(const std::string& path) override;
    bool SameEntry(const std::string& a, const std::string& b) override;
    void SyncFolder(const std::string&) override {}
    void CopyAttributes(const std::string& from, const std::string& to) override;
    std::unique_ptr<ReadStream> ReadText(std::unique_ptr<ReadStream> bytes) override {
        return base_.ReadText(std::move(bytes));
    }
    bool CanHoldName(std::string_view name) override { return base_.CanHoldName(name); }
    bool MayWrite(const std::string& path) override;
    std::size_t MaxPathLength() override { return base_.MaxPathLength(); }
    bool FoldsCase() override { return fold_; }
    std::string CaseKey(std::string_view name) override { return base_.CaseKey(name); }
    bool HidesByName() override { return base_.HidesByName(); }

private:
    // A path changed in memory. A file keeps either its bytes here or the
    // path of the base file it came from.
    struct Node {
        EntryInfo info;  // type None: removed
        std::string basePath;
        std::shared_ptr<std::string> bytes;
        std::string name;  // as listed
    };

    // The node of a path, or null when the base disk answers for it. A path
    // below a changed entry (a removed file, a new folder) has a node of
    // type None here: nothing of the base disk shows through there.
    const Node* Find(const std::string& path);
    EntryInfo Info(const std::string& path);
    // Throws kBadFileName for a name longer than 255 bytes or a path longer
    // than the base takes, and kPathNotFound for `path` unless its parent is
    // a folder.
    void RequireParentFolder(const std::string& path);
    // Throws kPermissionDenied for the parent folder of `path` when the base may
    // not write there, as the real run would be refused.
    void RequireWritable(const std::string& path);
    void Put(const std::string& path, Node node);
    Node Take(const std::string& from);
    // The key of a path in the maps below: the path itself, or on a disk
    // that folds case its case key with one separator.
    std::string Key(const std::string& path) const;

    Disk& base_;
    bool fold_;
    std::unordered_map<std::string, Node> nodes_;
    // Folder -> keys of the names of its changed entries, for listings.
    std::unordered_map<std::string, std::vector<std::string>> changedIn_;
    Node below_;                                      // the answer for paths below a changed entry
    std::unordered_map<std::string, bool> mayWrite_;  // the base's answers by folder key
};

}  // namespace tcc
