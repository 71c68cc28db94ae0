#pragma once

#include <string>

#include "core/disk.h"
#include "core/file_error.h"
#include "tests/support/cache_model.h"
#include "tests/support/memory_disk.h"

namespace tcc {

// The error a call ends with as "number text: path", or "" when it ends normally.
template <typename Call>
std::string ErrorText(Call&& call) {
    try {
        call();
    } catch (const FileError& e) {
        return std::to_string(e.number()) + " " + e.what();
    }
    return "";
}

// The tree below root (and `below` under it), read through the disk's interface.
model::Tree Snapshot(Disk& disk, const std::string& root, const std::string& below = "");

// Puts the entries of a tree on the in-memory disk below root.
void Lay(MemoryDisk& disk, const std::string& root, const model::Tree& tree);

// A cache made from its seed for a disk (see the generator for what it may hold).
model::Tree RandomCache(unsigned seed, const model::Volume& volume);

// Sentinels around root/game/Cache (paths below root): files named as the
// index may reach them, and a folder whose path starts as the cache folder's.
extern const model::Tree kOutside;

// Converts and sorts root/game/Cache twice, then installs it into root/game: errors, lines and files
// as the rules say of `start` (the folder's tree) and `outside` (the tree below root around it, which
// nothing else may change), the sorts' messages the only ones; a dry run first changes nothing and
// foresees every line, error and file. The rules read the index as `indexText` where given (the text
// it was written from in a code page), else as its bytes. "" when all holds, else what does not.
std::string ConvertSortInstallAsTheRulesSay(Disk& disk, const std::string& root, const model::Tree& start,
                                            const model::Volume& volume, const model::Tree& outside = kOutside,
                                            bool overwrite = false, const std::string* indexText = nullptr);

// The game's folder around the cache `start` once converted and sorted: for
// some sorted files one of that name (in some case) of the same bytes or
// others, read-only or with a NAME.bak, or a folder; a file named "sounds".
model::Tree RandomGame(unsigned seed, const model::Tree& start, const model::Volume& volume);

}  // namespace tcc
