#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/disk.h"
#include "core/listing.h"
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
    Folder GetFolder(const std::string& path);  // kPathNotFound when there is no folder
    File GetFile(const std::string& path);      // kFileNotFound when there is no file
    TextReader OpenTextRead(const File& file);  // the index's text, as the disk reads it
    std::uint64_t FileSize(const File& file);
    // Makes the folder and flushes its parent, so that what is flushed into
    // it later cannot be lost with it.
    Folder CreateFolder(const std::string& path);
    // Gives `path` the content `bytes` through a temporary file in the same
    // folder, renamed over the old file: the old content stays intact until
    // the new one is complete. A read-only old file is refused with
    // kPermissionDenied. A failure is reported with `path`.
    void ReplaceFileContent(const std::string& path, const std::string& bytes);
    // Names of the regular, non-hidden files of a folder that match pattern.
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);

    // Within a command: the listing of a folder, read at its first use.
    Listing& ListingOf(const Folder& folder);
    // Moves the file `name` of `from` to `newName` in `to`, whose listing has
    // no such name. False, with nothing moved, when the disk refuses the new
    // name as taken meanwhile; the listing then knows the newcomer. Between
    // devices the file is copied with its attributes under a temporary name
    // beside the new one, flushed and renamed into place, the folder flushed,
    // and only then removed where it was: after a crash or a power cut one of
    // the two is there in full.
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
    // Removes the files an interrupted run of this program left in the folder
    // (temporary names of its own pattern, see IsLeftover); their names.
    std::vector<std::string> RemoveLeftovers(Listing& folder);
    // Is it the name of a temporary file of this program: "." and the name it
    // stood in for (cut where it had to be), ".tarnel-" and 12 hex digits?
    static bool IsLeftover(std::string_view name);
    // Moves the file `name` of `from` into `to`, taking the place of the file
    // there of that name as the disk compares names (on a disk that folds
    // case, in any case) in one step, under that file's name as it stands on
    // disk; then the name is given the case of newName. A read-only file there
    // is refused with kPermissionDenied and a folder with kFileAlreadyExists.
    void MoveReplacing(Listing& from, std::string name, Listing& to, const std::string& newName);

    Disk& disk() { return disk_; }

private:
    // Renames source to target, replacing it or not; between devices by a
    // copy beside target renamed into place and flushed, then source is
    // removed. A folder source may not be removed from refuses it first.
    void Transfer(const std::string& source, const std::string& target, bool replace);
    // A new temporary file in folder, named after name, and its path.
    std::unique_ptr<WriteStream> CreateTemp(const std::string& folder, std::string_view name, std::string* temp);
    // Copies source to a new temporary file beside target and answers its
    // path; a failure leaves no temporary file and names target, or source
    // when reading it failed.
    std::string CopyToTemp(const std::string& source, const std::string& target);
    // Finds path on disk: in a folder listed in this command by its listing,
    // else exact first, else by folded names per component. Empty when it
    // does not exist; type gets the entry's type.
    std::string Find(std::string_view path, EntryType* type);
    // The resolved parent folder of path (kPathNotFound when missing) and the last name.
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
