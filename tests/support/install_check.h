#pragma once

#include <string>

#include "core/disk.h"
#include "tests/support/cache_model.h"

namespace tcc {

// The game's folder around a sorted cache folder (the tree of `cache`): a
// System folder and, for some of the sorted files, a file of that name in
// some letter case with the same bytes or others, read-only or not, with a
// NAME.bak of the same bytes or others, or a folder of that name; now and
// then a file that holds a sort folder's name.
model::Tree RandomGame(unsigned seed, const model::Tree& cache);

// Installs root/game/Cache into root/game, first over a dry run, and checks
// both runs against the rules applied to the tree below root. "" when all
// holds, else what does not.
std::string InstallAsTheRulesSay(Disk& disk, const std::string& root, bool overwrite, bool windowsDisk);

}  // namespace tcc
