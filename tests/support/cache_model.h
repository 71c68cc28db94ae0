#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tcc::model {

// A plain model of where the commands must put each file, written apart
// from the program so that tests can compare its answer with the disk.
//
// The tree holds the cache folder's entries by their path below it: "name"
// for the folder's own entries, "Maps/name" for the files of a subfolder.
enum class Kind { File, Folder };

struct Entry {
    Kind kind = Kind::File;
    std::string content;
    bool readOnly = false;
};

using Tree = std::map<std::string, Entry>;

// ASCII letters fold to small letters; every other byte stays.
std::string Fold(std::string_view name);

// The entry of `dir` (empty: the cache folder) named `name` as the program
// finds it: the exact name when present, else the smallest name that equals
// it without regard to case. Empty when there is none.
std::string Lookup(const Tree& tree, const std::string& dir, const std::string& name);

// Converts the cache by the index's bytes. Answers false when the
// conversion must stop with an error (a rename onto a folder of the target
// name); the tree then holds what was done up to that point.
bool Convert(Tree& tree, std::string_view index);

// Sorts the cache folder's files into the sort folders, creating the ones
// that are missing. Within a pass the files go in name order, so of two
// names that differ only in case the later one ends in the sort folder.
// Answers false when the sort must stop with an error (a sort folder's name
// taken by a file; a same-named read-only file or a folder in the way).
bool Sort(Tree& tree);

}  // namespace tcc::model
