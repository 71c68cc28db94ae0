#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tcc::model {

// A plain model of where the commands put each file and what they report,
// written apart from the program. The tree holds entries by their path below
// the cache folder: "name" for its own entries, "Maps/name" for a subfolder's.
enum class Kind { File, Folder };

struct Entry {
    Kind kind = Kind::File;
    std::string content;    // none compared for a link: its target's stands at its own path
    bool readOnly = false;  // a folder: nothing may be made, renamed or removed in it
    std::string link = "";  // a symbolic link's text, relative to its folder (a snapshot knows only that it is one)
    int file = 0;           // entries of one number but 0 are names of one file (hard links)
    bool operator==(const Entry& o) const { return kind == o.kind && link.empty() == o.link.empty() && (!link.empty() || content == o.content); }
};
inline const Entry kFolder{Kind::Folder, {}};

using Tree = std::map<std::string, Entry>;
using Files = std::map<std::string, std::string>;  // full path -> content, as the in-memory disk lists files
// What the commands report, a line each: "rename A -> B", "skip K: reason",
// "make folder F", "move N -> F/N", "replace F/N".
using Notes = std::vector<std::string>;

// The disk the commands run on.
struct Volume {
    bool foldsCase = false;     // names equal but for case are one name
    bool windowsNames = false;  // a trailing "." or space or a reserved character cannot be given; "." hides nothing
    bool permissions = false;   // a read-only folder is refused (the random caches may hold one)
    std::size_t room = 1000;    // the longest path below the cache folder the system takes
    bool cacheApart = false;    // the cache folder lies on a device of its own
    bool links = false, large = false;  // the caches may hold symbolic and hard links, and files past 64 KiB
};

// Windows' disks: names fold case in the file system itself, with Windows' rules for names.
#ifdef _WIN32
inline constexpr bool kFoldingDisk = true;
#else
inline constexpr bool kFoldingDisk = false;
#endif

// ASCII letters fold to small letters, and so do É and é, the one other pair
// of letters the caches hold where every letter folds (Windows, and disks of
// tests that fold as it does).
std::string Fold(std::string_view name);

// The entry named `name` in `folder` ("" for the top of the tree) as the
// program finds it: the exact name, else the smallest that equals it without
// regard to case; its path, or "" if none.
std::string Lookup(const Tree& tree, const std::string& name, const std::string& folder = "");

// The commands, each false where it must stop with an error, the tree then as far as it got.
// Converts by the index's bytes (an error where a folder holds a target name).
bool Convert(Tree& tree, std::string_view index, const Volume& volume, Notes& notes);

// Sorts the folder's files into the sort folders, creating missing ones, in name order within a
// pass (an error where a file holds a sort folder's name, or a read-only file, a folder or a
// read-only sort folder is in the way).
bool Sort(Tree& tree, const Volume& volume, Notes& notes);

// Installs the files of the sort folders in `cache` into the same-named folders of `game` (paths
// in the tree), making missing ones, then removes the sort folders left empty.
bool Install(Tree& tree, const std::string& cache, const std::string& game, bool overwrite, const Volume& volume,
             Notes& notes);

// The first difference between the trees ("" when none), shown for a failure.
std::string Diff(const Tree& want, const Tree& got);

}  // namespace tcc::model
