#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"

namespace tcc {

// Whether the platform hides a file by a leading "." in its name (Linux) or
// by an attribute (Windows).
#ifdef _WIN32
inline constexpr bool kHiddenByName = false;
#else
inline constexpr bool kHiddenByName = true;
#endif

// The key of a name as the platform compares names without regard to case:
// ASCII letters folded on Linux, where names are bytes; on Windows every
// UTF-16 unit upper-cased by the system's own table, as its file systems do.
#ifdef _WIN32
std::string SystemCaseKey(std::string_view name);
#else
inline std::string SystemCaseKey(std::string_view name) { return FoldCase(name); }
#endif

enum class EntryType { None, File, Folder, Other };

struct EntryInfo {
    EntryType type = EntryType::None;
    bool readOnly = false;  // the owner may not write it
    std::uint64_t size = 0;
    // A symbolic link (or a junction on Windows): another name of what it
    // points to, whose type and size the rest tells; a dangling one is Other.
    bool link = false;
};

struct DirEntry {
    std::string name;
    EntryType type = EntryType::Other;
    // Hidden from the user as the platform decides: a leading "." here, an
    // attribute on Windows.
    bool hidden = false;
    bool link = false;  // a symbolic link, of its target's type
};

class ReadStream {
public:
    virtual ~ReadStream() = default;
    // Reads up to n bytes; 0 means the end. Throws FileError.
    virtual std::size_t Read(char* buffer, std::size_t n) = 0;
    // How far into the file the first `handedOut` bytes read reach, for
    // progress: a stream that converts text counts the file's bytes.
    virtual std::uint64_t FileOffset(std::uint64_t handedOut) const { return handedOut; }
};

class WriteStream {
public:
    virtual ~WriteStream() = default;
    virtual void Write(const char* data, std::size_t n) = 0;
    // Puts what was written on the disk itself (fsync), so that a power cut
    // cannot take it back.
    virtual void Flush() = 0;
    // Closes; an error here is an error of the write.
    virtual void Close() = 0;
};

// The narrow interface under every file operation of the program. Paths are
// exact: no letter-case folding happens at this level. Every method reports
// failure by throwing FileError. Tests replace it with an in-memory disk that
// can fail any chosen operation.
class Disk {
public:
    virtual ~Disk() = default;

    // Type and read-only bit of a path, through a final link, and whether it
    // is one. None when missing, also when the name is one the file system
    // could not hold.
    virtual EntryInfo Stat(const std::string& path) = 0;
    virtual std::vector<DirEntry> ReadDir(const std::string& folder) = 0;

    virtual std::unique_ptr<ReadStream> OpenRead(const std::string& path) = 0;
    // Creates a file that must not exist yet.
    virtual std::unique_ptr<WriteStream> CreateNew(const std::string& path) = 0;

    // Moves a file; fails with kFileAlreadyExists when `to` is taken, even
    // when it was taken after the caller looked. Both renames fail with
    // kRenameAcrossDrives when `from` and `to` lie on different devices: the
    // caller copies.
    virtual void RenameNoReplace(const std::string& from, const std::string& to) = 0;
    // Moves a file over an existing one in one atomic step.
    virtual void RenameReplace(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
    virtual void MakeDir(const std::string& path) = 0;
    // Removes an empty folder; kFileAlreadyExists when it holds anything.
    virtual void RemoveDir(const std::string& path) = 0;
    // Puts the names made, renamed and removed in the folder so far on the
    // disk itself, so that a power cut cannot take them back.
    virtual void SyncFolder(const std::string& path) = 0;
    // Gives the file `to` the mode, the times and, where this user may set
    // it, the owner of the file `from`.
    virtual void CopyAttributes(const std::string& from, const std::string& to) = 0;

    // The text of a file that the game wrote (the index), from a stream of
    // its bytes, as the strings names are here: the bytes as they are on
    // Linux; on Windows UTF-8 from the ANSI code page, or from UTF-16 after a
    // byte-order mark.
    virtual std::unique_ptr<ReadStream> ReadText(std::unique_ptr<ReadStream> bytes) { return bytes; }

    // Can a file on this disk bear `name` exactly as written? A name the
    // system would change or refuse (on Windows a trailing "." or space, a
    // reserved character or device name, or text that is not UTF-8) cannot
    // be given, and the commands pass it over.
    virtual bool CanHoldName(std::string_view name) { return !name.empty(); }
    // Do the two paths name one file or folder, through a link, a mount or
    // another spelling? False when either is missing.
    virtual bool SameEntry(const std::string& a, const std::string& b) = 0;
    // May this program make, rename and remove names in the folder `path`?
    // A missing folder is no refusal: its operations fail for that reason.
    virtual bool MayWrite(const std::string& path) {
        (void)path;
        return true;
    }
    // The longest path, in bytes, that the system takes; a longer one is
    // refused as a bad file name (kBadFileName).
    virtual std::size_t MaxPathLength() { return static_cast<std::size_t>(-1); }
    // Are names equal but for letter case one name here (Windows)?
    virtual bool FoldsCase() { return false; }
    // Names with equal keys are one name to the lookups, and where the disk
    // folds case, to the disk itself. The platform's rule: ASCII letters on
    // Linux; on Windows every letter, as the system compares names.
    virtual std::string CaseKey(std::string_view name) { return SystemCaseKey(name); }
    // Does a leading "." hide a name here (Linux), rather than an attribute?
    virtual bool HidesByName() { return kHiddenByName; }
};

#ifndef _WIN32
// The disk of a POSIX system.
class PosixDisk : public Disk {
public:
    EntryInfo Stat(const std::string& path) override;
    std::vector<DirEntry> ReadDir(const std::string& folder) override;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path) override;
    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override;
    void RenameNoReplace(const std::string& from, const std::string& to) override;
    void RenameReplace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    void MakeDir(const std::string& path) override;
    void RemoveDir(const std::string& path) override;
    void SyncFolder(const std::string& path) override;
    void CopyAttributes(const std::string& from, const std::string& to) override;
    bool SameEntry(const std::string& a, const std::string& b) override;
    bool MayWrite(const std::string& path) override;
    std::size_t MaxPathLength() override;

    // For tests: the system calls answer as on a file system without
    // RENAME_NOREPLACE (EINVAL), and also without hard links (EPERM).
    void PretendUnsupported(bool noReplaceRename, bool hardLinks) {
        refuseNoReplace_ = noReplaceRename;
        refuseLinks_ = hardLinks;
    }

private:
    bool refuseNoReplace_ = false;
    bool refuseLinks_ = false;
};
using PlatformDisk = PosixDisk;
#else
// The disk of Windows, on the wide-character API. Paths and names are UTF-8,
// converted to and from UTF-16 here without loss; a path goes to the system
// in its long form ("\\?\C:\...", "\\?\UNC\server\share\..."), so no
// length limit but the system's own applies; names after the root are passed
// as they stand. A file another program holds open (a sharing violation, or
// access denied on a file that exists in folders that may be written) is
// tried again for about a second.
class WinDisk : public Disk {
public:
    EntryInfo Stat(const std::string& path) override;
    std::vector<DirEntry> ReadDir(const std::string& folder) override;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path) override;
    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override;
    void RenameNoReplace(const std::string& from, const std::string& to) override;
    void RenameReplace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    void MakeDir(const std::string& path) override;
    void RemoveDir(const std::string& path) override;
    // Nothing to do: every rename is written through (MOVEFILE_WRITE_THROUGH).
    void SyncFolder(const std::string&) override {}
    // The times; the read-only attribute stays with the original.
    void CopyAttributes(const std::string& from, const std::string& to) override;
    bool SameEntry(const std::string& a, const std::string& b) override;
    bool MayWrite(const std::string& path) override;
    std::size_t MaxPathLength() override;
    std::unique_ptr<ReadStream> ReadText(std::unique_ptr<ReadStream> bytes) override;
    bool CanHoldName(std::string_view name) override;
    bool FoldsCase() override { return true; }
};
using PlatformDisk = WinDisk;

// The path as the system takes it: absolute, in its long form. What is
// relative to the current folder or drive is resolved by the system; "/" and
// "." and ".." parts are resolved on the text, as the system would, and every
// name is kept as written, so that a name read from a listing ("CON.unr",
// "x.unr ") reaches that entry.
std::wstring SystemPath(std::string_view path);
#endif

}  // namespace tcc
