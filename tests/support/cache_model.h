#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tcc::model {

// A plain model of where the commands put each file, written apart from the
// program. The tree holds entries by their path below the cache folder:
// "name" for its own entries, "Maps/name" for a subfolder's.
enum class Kind { File, Folder };

struct Entry {
    Kind kind = Kind::File;
    std::string content;
    bool readOnly = false;
    bool operator==(const Entry& o) const { return kind == o.kind && content == o.content; }
};

using Tree = std::map<std::string, Entry>;
using Files = std::map<std::string, std::string>;  // full path -> content, as the in-memory disk lists files

// Windows' disks: names fold case in the file system itself, and a name
// with a trailing "." or space or a reserved character cannot be given
// (Convert with onWindowsDisk).
#ifdef _WIN32
inline constexpr bool kFoldingDisk = true;
#else
inline constexpr bool kFoldingDisk = false;
#endif

// ASCII letters fold to small letters; every other byte stays.
std::string Fold(std::string_view name);

// The entry named `name` of the folder `in` ("" or a path ending in "/") as
// the program finds it: the exact name, else the smallest that equals it
// without regard to case; its path, or "" if none.
std::string Lookup(const Tree& tree, const std::string& name, const std::string& in = "");

// Converts by the index's bytes, passing over records without a real name;
// false when the conversion must stop with an
// error (a folder holds a target name), the tree then as far as it got.
bool Convert(Tree& tree, std::string_view index, bool onWindowsDisk = false);

// Sorts the folder's files into the sort folders, creating missing ones, in
// name order within a pass; a file whose name equals one this sort moved in
// but for case stays where it is; false when the sort must stop with an error (a
// file holds a sort folder's name; a read-only file or folder in the way).
// On Windows' disks (onWindowsDisk) a leading "." hides nothing.
bool Sort(Tree& tree, bool onWindowsDisk = false);

// Installs the sort folders' files below `cache` into the same-named folders
// below `game` (paths ending in "/", "" for the root) as the rules say, then
// removes the empty sort folders; false when it must stop with an error.
bool Install(Tree& tree, const std::string& cache, const std::string& game, bool overwrite, bool onWindowsDisk = false);

// The first difference between the trees ("" when none), shown for a failure.
std::string Diff(const Tree& want, const Tree& got);

}  // namespace tcc::model
