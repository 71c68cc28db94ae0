#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/disk.h"
#include "core/paths.h"
#include "core/text_reader.h"

namespace tcc {

class FileError;

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

// The file-system service of the commands. Names are found without regard to
// letter case in every path component that does not exist as written (an
// exact match wins).
//
// Folder listings live for one command at most: a command (a Command scope)
// reads each folder it needs once, at its first need, keeps the listing up to
// date with its own changes and drops it at its end. Outside a command every
// call reads what it needs afresh. A change made by others during a command is
// met by the disk itself: the no-replace rename refuses a name taken
// meanwhile, and a vanished file fails its operation.
class FileSystem {
public:
    explicit FileSystem(Disk& disk);

    // An entry of a folder listing.
    struct Entry {
        std::string name;
        EntryType type = EntryType::Other;
        bool hidden = false;
    };

    // A folder's entries as the running command knows them, found by the
    // disk's rule for letter case. A pointer to an entry holds until the
    // listing changes.
    class Listing {
    public:
        const std::string& path() const { return path_; }
        // The entry of that name: the exact one, else the first in byte order
        // that equals it without regard to case; null when there is none.
        const Entry* Find(std::string_view name) const;
        // Makes room for `more` entries to come, so that adding them one by
        // one does not grow the table again and again.
        void Reserve(std::size_t more);

    private:
        friend class FileSystem;
        static constexpr std::uint32_t kNone = 0xffffffff;
        // An entry and the next one of its name in other case, in byte order.
        // An entry taken away stays as gone, so that the others keep their place.
        struct Item {
            Entry entry;
            std::uint32_t next = kNone;
            std::uint32_t hash = 0;  // of the folded name
            bool gone = false;
        };
        void Add(Entry entry);
        // Marks the entry of exactly that name gone and answers it, if there was one.
        const Entry* Take(std::string_view name);
        // The entries in byte order of their names, the gone ones dropped.
        void Arrange();
        // The table's slot of a name: empty, or the first item of that name in
        // any case; hash is its CaseHash.
        std::size_t SlotOf(std::string_view name, std::uint32_t hash) const;
        // The first item of that name in any case, or kNone.
        std::uint32_t First(std::string_view name) const;
        // A table for `names` names, every item put in again.
        void Rehash(std::size_t names);
        void Link(std::uint32_t item);
        // The hash of a name's case key, and whether two names have one key.
        std::uint32_t CaseHash(std::string_view name) const;
        bool SameCase(std::string_view a, std::string_view b) const;

        std::string path_;
        Disk* disk_ = nullptr;
        std::vector<Item> items_;
        // Open addressing on the names' case hashes: each name, in any case, once.
        std::vector<std::uint32_t> table_;
        std::size_t names_ = 0;
    };

    // One command: the listings read from its start to its end are kept for
    // that long and no longer. Scopes nest; the outermost one drops them.
    class Command {
    public:
        explicit Command(FileSystem& fs) : fs_(fs) { ++fs_.depth_; }
        ~Command() {
            if (--fs_.depth_ == 0) fs_.listings_.clear();
        }
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;

    private:
        FileSystem& fs_;
    };

    bool FileExists(const std::string& path);
    bool FolderExists(const std::string& path);
    Folder GetFolder(const std::string& path);   // 76 when there is no folder
    File GetFile(const std::string& path);       // 53 when there is no file
    TextReader OpenTextRead(const File& file);   // the index's text, as the disk reads it
    std::uint64_t FileSize(const File& file);
    Folder CreateFolder(const std::string& path);
    // Gives `path` the content `bytes` through a temporary file in the same
    // folder, renamed over the old file: the old content stays intact until
    // the new one is complete. A read-only old file is refused with 70. A
    // failure is reported with `path`.
    void ReplaceFileContent(const std::string& path, const std::string& bytes);
    // Names of the regular, non-hidden files of a folder that match pattern.
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);

    // Within a command: the listing of a folder, read at its first use.
    Listing& ListingOf(const Folder& folder);
    // Moves the file `name` of `from` to `newName` in `to`, whose listing has
    // no such name. False, with nothing moved, when the disk refuses the new
    // name as taken meanwhile; the listing then knows the newcomer. Between
    // devices the file is copied under a temporary name beside the new one,
    // flushed and renamed into place, and only then removed where it was.
    bool Move(Listing& from, const std::string& name, Listing& to, const std::string& newName);
    // Moves the file `name` of `from` over the file `onDisk` of `to` in one
    // step (between devices as Move does, its last rename the replacing one).
    void MoveOver(Listing& from, const std::string& name, Listing& to, const std::string& onDisk);
    // Copies the file `name` of `folder` to a new file `copyName` beside it,
    // written in full and flushed under a temporary name first. False, with
    // nothing made, when the disk refuses copyName as taken meanwhile.
    bool CopyBeside(Listing& folder, const std::string& name, const std::string& copyName);
    void RemoveFile(Listing& folder, const std::string& name);
    // Removes the folder `name` of `parent` if it holds nothing; false when
    // it holds anything, also when something came in meanwhile.
    bool RemoveFolderIfEmpty(Listing& parent, const std::string& name);
    // Do the two files hold the same bytes?
    bool SameContent(const std::string& a, const std::string& b);
    // Moves the file `name` of `from` into `to`, taking the place of the file
    // there of that name as the disk compares names (on a disk that folds
    // case, in any case) in one step, under that file's name as it stands on
    // disk; then the name is given the case of newName. A read-only file there
    // is refused with 70 and a folder with 58.
    void MoveReplacing(Listing& from, std::string name, Listing& to, const std::string& newName);

    Disk& disk() { return disk_; }

private:
    // Renames source to target, replacing it or not; between devices by a
    // copy beside target renamed into place, then source is removed.
    void Transfer(const std::string& source, const std::string& target, bool replace);
    // A new temporary file in folder, named after name, and its path.
    std::unique_ptr<WriteStream> CreateTemp(const std::string& folder, const std::string& name, std::string* temp);
    // Copies source to a new temporary file beside target and answers its
    // path; a failure leaves no temporary file and names target, or source
    // when reading it failed.
    std::string CopyToTemp(const std::string& source, const std::string& target);
    // Finds path on disk: in a folder listed in this command by its listing,
    // else exact first, else by folded names per component. Empty when it
    // does not exist; type gets the entry's type.
    std::string Find(std::string_view path, EntryType* type);
    // The resolved parent folder of path (76 when missing) and the last name.
    std::pair<std::string, std::string> SplitExistingParent(const std::string& path);
    // The listing of a folder path as found on disk, read at its first use.
    Listing& ListingAt(std::string_view folder);
    // The listing kept for that folder path, or null.
    Listing* Kept(std::string_view folder);
    // Within a catch block: a refusal for want of permission is told as the
    // refusal of the first of the folders that may not be written, if any.
    [[noreturn]] void Rethrow(const FileError& error, std::string_view folder, std::string_view other = {});
    bool HiddenName(std::string_view name) { return disk_.HidesByName() && !name.empty() && name[0] == '.'; }

    struct PathHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };

    Disk& disk_;
    std::unordered_map<std::string, Listing, PathHash, std::equal_to<>> listings_;
    int depth_ = 0;
    std::string source_, target_;  // paths of the running move, their buffers reused
};

}  // namespace tcc
