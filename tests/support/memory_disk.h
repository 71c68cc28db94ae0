#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/disk.h"

namespace tcc {

std::string ParentOf(const std::string& path);

// An in-memory disk for tests, "/" separated. Letter case counts, or, with foldCase, names of
// equal case keys are one name that keeps the case it was given (NTFS, FAT); the case key is the
// platform's rule, or `caseKey`. Every call through Disk is an operation: logged, and able to fail.
// A read hands out a few bytes at most, so that lines end across reads. As a real disk, it refuses
// a path longer than maxPath or a name longer than 255 bytes (kBadFileName), and changes in a
// read-only folder (kPermissionDenied). It knows what a crash would leave: a file's bytes once flushed, a folder's changes once synced.
class MemoryDisk : public Disk {
public:
    struct Op {
        std::string kind;  // stat, readdir, open, read, create, write, flush, close, attrs, rename, replace, remove, mkdir, rmdir, sync
        std::string path, path2;
    };
    // Called before each operation; may change the disk, or fail the
    // operation by returning an error number.
    using FaultHook = std::function<std::optional<int>(const Op&)>;

    using CaseRule = std::string (*)(std::string_view);
    explicit MemoryDisk(bool foldCase = false, std::size_t maxPath = 4095, CaseRule caseKey = SystemCaseKey);
    bool FoldsCase() override { return foldCase_; }
    std::string CaseKey(std::string_view name) override { return caseKey_(name); }
    bool HidesByName() override { return true; }
    bool MayWrite(const std::string& path) override { return !Is(path, EntryType::Folder) || !Find(path)->readOnly; }
    std::size_t MaxPathLength() override { return maxPath_; }

    // Set-up and inspection, no operations:
    void AddFolder(const std::string& path, bool readOnly = false);
    void AddFile(const std::string& path, const std::string& content = "", bool readOnly = false);
    bool HasFile(const std::string& path) const { return Is(path, EntryType::File); }
    bool HasFolder(const std::string& path) const { return Is(path, EntryType::Folder); }
    std::string Content(const std::string& path) const { return Is(path, EntryType::File) ? Find(path)->content : ""; }
    std::map<std::string, std::string> Files() const;  // path -> content

    void SetHook(FaultHook hook) { hook_ = std::move(hook); }
    // Puts the folder and all below it on a second device: a rename between
    // the two fails with kRenameAcrossDrives.
    void SetDevice(const std::string& folder) { device_ = Key(folder) + "/"; }
    // The disk as a crash now leaves it: the process's, or a power cut's, which takes back the bytes
    // not flushed and the changes of names not synced on the main device, the second one, or both.
    MemoryDisk AfterCrash(bool powerCut, bool loseMain = false, bool loseApart = false) const;
    bool SameTree(const MemoryDisk& other) const { return nodes_ == other.nodes_; }

    const std::vector<Op>& log() const { return log_; }
    int openStreams() const { return openStreams_; }
    long count(const std::string& kind) const {
        return std::count_if(log_.begin(), log_.end(), [&](const Op& op) { return op.kind == kind; });
    }

    EntryInfo Stat(const std::string& path) override;
    std::vector<DirEntry> ReadDir(const std::string& folder) override;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path) override;
    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override;
    void RenameNoReplace(const std::string& from, const std::string& to) override { Move("rename", from, to); }
    void RenameReplace(const std::string& from, const std::string& to) override { Move("replace", from, to); }
    void Remove(const std::string& path) override;
    void MakeDir(const std::string& path) override;
    void RemoveDir(const std::string& path) override;
    void SyncFolder(const std::string& path) override;
    void CopyAttributes(const std::string& from, const std::string& to) override;
    bool SameEntry(const std::string& a, const std::string& b) override { return Find(a) && Key(a) == Key(b); }

private:
    struct Node {
        EntryType type = EntryType::File;
        std::string content;
        bool readOnly = false;
        std::string path;  // as it was given
        long id = 0;       // a file's, which its flushed bytes go by
        bool operator==(const Node&) const = default;
    };
    struct Change {  // in a folder: node put at `to`, else the node at `from` moved there, else `to` removed
        std::string folder, from, to;
        std::optional<Node> node;
        bool synced;
    };
    class Stream;

    std::string Key(const std::string& path) const;
    Node* Find(const std::string& path) const;
    bool Is(const std::string& path, EntryType type) const { return Find(path) && Find(path)->type == type; }
    void Operation(const std::string& kind, const std::string& path, const std::string& path2 = "");
    void Move(const std::string& kind, const std::string& from, const std::string& to);
    // Puts a node at a new path, as create, mkdir and the renames do, the
    // node coming out of the folder of `from`, if any.
    void Put(const std::string& kind, const std::string& path, Node node, const std::string& from = "");
    void Record(const std::string& to, const std::string& from, const Node* node, bool synced) { changes_.push_back({ParentOf(to), from, to, node ? std::optional(*node) : std::nullopt, synced}); }

    bool foldCase_;
    std::size_t maxPath_;
    CaseRule caseKey_;
    mutable std::map<std::string, Node> nodes_;
    std::vector<Op> log_;
    int openStreams_ = 0;
    FaultHook hook_;
    std::string device_;
    std::vector<Change> changes_;
    std::map<long, std::string> flushed_;  // file id -> its bytes on the disk itself
    long ids_ = 0;
};

}  // namespace tcc
