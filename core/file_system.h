#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/disk.h"

namespace tcc {

// A folder found on disk. path is the full path as it stands on disk.
struct Folder {
    std::string path;
    // The last component of the path.
    std::string Name() const;
};

// A file found on disk, under its name as it stands on disk.
struct File {
    std::string path;
    std::string Name() const;
};

// Reads 8-bit text line by line. CR LF, LF or a lone CR ends a line and is
// not part of it; a last line without a terminator is still a line.
class TextReader {
public:
    TextReader(std::unique_ptr<ReadStream> stream, std::string path);

    bool AtEndOfStream();
    // The next line; throws FileError 62 past the end.
    std::string ReadLine();
    void SkipLine();
    void Close();
    // Bytes consumed so far, for progress.
    std::uint64_t Position() const { return consumed_; }

private:
    bool Fill();
    int Peek();

    std::unique_ptr<ReadStream> stream_;
    std::string path_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::uint64_t consumed_ = 0;
    bool eof_ = false;
};

// Does name match a pattern of "*" and "?" wildcards, without regard to case?
bool MatchesPattern(const std::string& name, const std::string& pattern);
// Compare names without regard to letter case (ASCII letters fold).
std::string FoldCase(std::string_view name);
// Names that start with "." are hidden on this platform.
bool IsHiddenName(const std::string& name);
// Is c a path separator here ("/"; "\\" or "/" on Windows)?
bool IsPathSeparator(char c);
// The length of the root a path starts with: 1 for "/", 3 for "C:\\" on
// Windows, 0 for a relative path.
std::size_t PathRootLength(std::string_view path);
// Joins a folder path and a name with the platform separator.
std::string JoinPath(std::string_view folder, std::string_view name);

// The file-system service of the commands. Names are found without regard to
// letter case in every path component that does not exist as written (an
// exact match wins). Folder listings used for those lookups are kept and
// updated by this service's own operations, and read again when the folder's
// stamp shows that something else changed it.
class FileSystem {
public:
    explicit FileSystem(Disk& disk);

    bool FileExists(const std::string& path);
    bool FolderExists(const std::string& path);
    Folder GetFolder(const std::string& path);   // 76 when there is no folder
    File GetFile(const std::string& path);       // 53 when there is no file
    TextReader OpenTextRead(const File& file);   // 8-bit text, for reading
    std::uint64_t FileSize(const File& file);
    // force false refuses a read-only file with 70.
    void DeleteFile(const std::string& path, bool force);
    Folder CreateFolder(const std::string& path);
    // Moves a file to a free path; 58 when the new path is taken by anything.
    void MoveFile(const std::string& from, const std::string& to);
    // Moves a file to `to`, replacing a same-named file there in one step. A
    // read-only file there is refused with 70 and left as it is.
    void MoveFileReplacing(const std::string& from, const std::string& to);
    // Gives `path` the content `bytes` through a temporary file in the same
    // folder, renamed over the old file: the old content stays intact until
    // the new one is complete. A read-only old file is refused with 70.
    void ReplaceFileContent(const std::string& path, const std::string& bytes);
    // Names of the regular, non-hidden files of a folder that match pattern.
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);

    Disk& disk() { return disk_; }

    // One operation, or a run of operations held together: within it each
    // folder is checked once for changes made behind the service's back, at
    // its first use. The service's own changes are followed as always. For
    // a run over the same folders (the files of one sort pass) whose renames
    // refuse taken names by themselves.
    class Batch {
    public:
        explicit Batch(FileSystem& fs) : fs_(fs) {
            if (fs_.depth_++ == 0) ++fs_.call_;
        }
        ~Batch() { --fs_.depth_; }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        FileSystem& fs_;
    };

private:
    using CallScope = Batch;

    struct Listing {
        DirStamp stamp;
        std::uint64_t checkedInCall = 0;
        // folded name -> entries on disk with that folded name
        std::unordered_map<std::string, std::vector<DirEntry>> names;
    };

    // Finds path on disk: exact first, else by folded names per component.
    // Empty when it does not exist; info gets the entry's type.
    std::string Find(const std::string& path, EntryInfo* info);
    // The resolved parent folder of path (76 when missing) and the last name.
    std::pair<std::string, std::string> SplitExistingParent(const std::string& path);
    // The listing of a folder, read again when its stamp changed; null when
    // the folder does not exist.
    Listing* ListingOf(std::string_view folder);
    // The kept listing of a folder, unchecked; null when none is kept.
    Listing* Kept(std::string_view folder);
    std::string Lookup(const Listing& listing, std::string_view folder, std::string_view name, EntryInfo* info);
    // Keep kept listings in step with a change this service made, and take
    // the folder's new stamp so that the change is not mistaken for one made
    // behind the service's back.
    void NoteAdded(const std::string& path, EntryType type);
    void NoteRemoved(const std::string& path);
    void NoteMoved(const std::string& from, const std::string& to);
    void Add(const std::string& path, EntryType type, bool restamp);
    void Forget(const std::string& path, bool restamp);
    void Restamp(std::string_view folder);

    Disk& disk_;
    struct PathHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, Listing, PathHash, std::equal_to<>> listings_;
    Listing* recent_ = nullptr;
    std::string_view recentFolder_;  // the key of recent_ in listings_
    std::uint64_t call_ = 0;
    int depth_ = 0;
};

}  // namespace tcc
