#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tcc {

// The platform's path separator. Paths are byte strings, passed through as
// they are: names in the cache index and on disk are never re-encoded.
// On Windows "/" separates too, as the system itself takes it. Whether the
// platform hides a file by a leading "." in its name (Linux) or by an
// attribute (Windows).
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr std::string_view kSeparators = "\\/";
inline constexpr bool kHiddenByName = false;
#else
inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparators = "/";
inline constexpr bool kHiddenByName = true;
#endif

enum class EntryType { None, File, Folder, Other };

struct EntryInfo {
    EntryType type = EntryType::None;
    bool readOnly = false;  // the owner may not write it
    std::uint64_t size = 0;
};

struct DirEntry {
    std::string name;
    EntryType type = EntryType::Other;
    // Hidden from the user as the platform decides: a leading "." here, an
    // attribute on Windows.
    bool hidden = false;
};

class ReadStream {
public:
    virtual ~ReadStream() = default;
    // Reads up to n bytes; 0 means the end. Throws FileError.
    virtual std::size_t Read(char* buffer, std::size_t n) = 0;
};

class WriteStream {
public:
    virtual ~WriteStream() = default;
    virtual void Write(const char* data, std::size_t n) = 0;
    // Flushes and closes; an error here is an error of the write.
    virtual void Close() = 0;
};

// The narrow interface under every file operation of the program. Paths are
// exact: no letter-case folding happens at this level. Every method reports
// failure by throwing FileError. Tests replace it with an in-memory disk that
// can fail any chosen operation.
class Disk {
public:
    virtual ~Disk() = default;

    // Type and read-only bit of a path, without following a final symlink's
    // target type for anything but files and folders. None when missing,
    // also when the name is one the file system could not hold.
    virtual EntryInfo Stat(const std::string& path) = 0;
    virtual std::vector<DirEntry> ReadDir(const std::string& folder) = 0;

    virtual std::unique_ptr<ReadStream> OpenRead(const std::string& path) = 0;
    // Creates a file that must not exist yet.
    virtual std::unique_ptr<WriteStream> CreateNew(const std::string& path) = 0;

    // Moves a file; fails with "File already exists" when `to` is taken, even
    // when it was taken after the caller looked. Both renames fail with 74
    // when `from` and `to` lie on different devices: the caller copies.
    virtual void RenameNoReplace(const std::string& from, const std::string& to) = 0;
    // Moves a file over an existing one in one atomic step.
    virtual void RenameReplace(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
    virtual void MakeDir(const std::string& path) = 0;
    // Removes an empty folder; "File already exists" when it holds anything.
    virtual void RemoveDir(const std::string& path) = 0;

    // Can a file on this disk bear `name` exactly as written? A name the
    // system would change or refuse (on Windows a trailing "." or space, a
    // reserved character or device name, or a name outside the ANSI code
    // page) cannot be given, and the commands pass it over.
    virtual bool CanHoldName(std::string_view name) { return !name.empty(); }
    // Do the two paths name one file or folder, through a link, a mount or
    // another spelling? False when either is missing.
    virtual bool SameEntry(const std::string& a, const std::string& b) = 0;
    // Are names equal but for letter case one name here (Windows)?
    virtual bool FoldsCase() { return false; }
    // Does a leading "." hide a name here (Linux), rather than an attribute?
    virtual bool HidesByName() { return kHiddenByName; }
};

#ifndef _WIN32
// The disk of a POSIX system.
class RealDisk : public Disk {
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
    bool SameEntry(const std::string& a, const std::string& b) override;

    // For tests: behave as on a file system without RENAME_NOREPLACE.
    void ForceLinkFallback(bool on) { forceLinkFallback_ = on; }

private:
    bool forceLinkFallback_ = false;
};
using PlatformDisk = RealDisk;
#else
// The disk of Windows, on the wide-character API. Paths and names stay
// narrow strings in the ANSI code page, as the game's index has them, and
// are converted to and from UTF-16 only here.
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
    bool SameEntry(const std::string& a, const std::string& b) override;
    bool CanHoldName(std::string_view name) override;
    bool FoldsCase() override { return true; }
};
using PlatformDisk = WinDisk;

// UTF-16 from the ANSI code page and back; false when the text has no exact
// counterpart on the other side.
bool ToWide(std::string_view text, std::wstring* out);
bool ToNarrow(std::wstring_view text, std::string* out);
#endif

}  // namespace tcc
