#pragma once

#include <string>

#include "core/disk.h"
#include "tests/support/cache_model.h"
#include "tests/support/memory_disk.h"

namespace tcc {

// The tree below root (and `below` under it) as a disk shows it, read through
// its interface.
model::Tree Snapshot(Disk& disk, const std::string& root, const std::string& below = "");

// Puts the entries of a tree on the in-memory disk below root.
void Lay(MemoryDisk& disk, const std::string& root, const model::Tree& tree);

// A cache made from its seed: its index (odd headers, line ends, names with
// and without dots, duplicates, case variants, "/", "\", "..", empty names, a
// second "="), cached files present or missing, taken targets, other files,
// and sometimes a sort folder in some letter case holding files of the names
// the sort brings. Where the disk folds case, no two names in a folder differ
// only in case.
model::Tree RandomCache(unsigned seed, bool foldCase);

// Converts then sorts root/game/Cache, first over a dry run, and checks the
// outcome against the rules applied to `start` (the folder's tree): errors
// where the rules see them and only there, the sort's message the only one,
// every file where the rules put it, the tree `outside` (below root) as it
// was, and the dry run changing nothing while foreseeing every action, error
// and file of the real run. On the in-memory disk no operation of either run
// may reach outside the folder or leave a stream open. Answers "" when all
// holds, else the first thing that does not.
std::string ConvertThenSortAsTheRulesSay(Disk& disk, const std::string& root, const model::Tree& start,
                                         const model::Tree& outside, bool windowsDisk);

}  // namespace tcc
