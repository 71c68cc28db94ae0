#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/disk.h"

namespace tcc {

// An in-memory disk for tests. Paths are absolute and "/" separated. Letter
// case counts, as on a Linux file system, or, with foldCase, names equal
// without regard to case are one name, as on NTFS or FAT: a name keeps the
// case it was given. Every call through the Disk interface is one operation:
// it is logged, counted, and can be made to fail.
class MemoryDisk : public Disk {
public:
    struct Op {
        std::string kind;  // stat, readdir, open, read, create, write, close, rename, replace, remove, mkdir
        std::string path;
        std::string path2;
    };
    // Returns an error number to fail the operation with, or nothing.
    using FaultHook = std::function<std::optional<int>(const Op&)>;

    explicit MemoryDisk(bool foldCase = false);
    bool foldsCase() const { return foldCase_; }
    bool FoldsCase() override { return foldCase_; }
    bool HidesByName() override { return true; }

    // Set-up and inspection; these are not operations.
    void AddFolder(const std::string& path);
    void AddFile(const std::string& path, const std::string& content = "", bool readOnly = false);
    bool HasFile(const std::string& path) const;
    bool HasFolder(const std::string& path) const;
    std::string Content(const std::string& path) const;
    // Every file as path -> content.
    std::map<std::string, std::string> Files() const;

    // The k-th operation from now (1-based) fails with `number`.
    void FailAt(long k, int number);
    // Called before each operation; may change the disk or fail the operation.
    void SetHook(FaultHook hook) { hook_ = std::move(hook); }
    // Reads hand out at most this many bytes at a time.
    void SetReadChunk(std::size_t n) { readChunk_ = n; }

    long operations() const { return operations_; }
    const std::vector<Op>& log() const { return log_; }
    int openStreams() const { return openStreams_; }
    long count(const std::string& kind) const;

    EntryInfo Stat(const std::string& path) override;
    std::vector<DirEntry> ReadDir(const std::string& folder) override;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path) override;
    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override;
    void RenameNoReplace(const std::string& from, const std::string& to) override;
    void RenameReplace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    void MakeDir(const std::string& path) override;

    // Used by the streams.
    void Operation(const std::string& kind, const std::string& path, const std::string& path2 = "");
    void StreamClosed() { --openStreams_; }
    void Append(const std::string& path, const char* data, std::size_t n);
    std::size_t readChunk() const { return readChunk_; }

private:
    struct Node {
        EntryType type = EntryType::File;
        std::string content;
        bool readOnly = false;
        std::string path;  // as it was given
    };

    // The key of a path in nodes_: the path itself, or folded.
    std::string Key(const std::string& path) const;
    const Node* Find(const std::string& path) const;
    void Move(const std::string& kind, const std::string& from, const std::string& to);
    void RequireParentFolder(const std::string& path) const;

    bool foldCase_ = false;
    std::map<std::string, Node> nodes_;
    std::vector<Op> log_;
    long operations_ = 0;
    long failAt_ = 0;
    int failNumber_ = 0;
    int openStreams_ = 0;
    std::size_t readChunk_ = 1 << 16;
    FaultHook hook_;
};

std::string ParentOf(const std::string& path);

}  // namespace tcc
