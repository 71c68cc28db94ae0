// Random caches, Convert then Sort, compared with the model: on the real file
// system, where letter case counts, and on an in-memory disk that folds case;
// each first as a dry run, which must change nothing and foresee the real
// run. Each cache comes from its seed, so a failure names the seed.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cache_check.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

class RandomCaches : public ::testing::TestWithParam<bool> {};

TEST_P(RandomCaches, ConvertThenSortPutsEveryFileWhereTheRulesSay) {
    const bool foldCase = GetParam();
    const model::Entry folder{model::Kind::Folder, "", false};
    // Sentinels outside the folder, named as files the index may reach.
    const model::Tree outside = {{"game", folder}, {"game/Cache", folder}, {"game/System", folder},
                                 {"game/System/keep.u", {model::Kind::File, "sentinel keep.u", false}},
                                 {"k1.uxx", {model::Kind::File, "sentinel k1.uxx", false}}};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const model::Tree start = RandomCache(seed, foldCase);
        model::Tree all = outside;
        for (const auto& [path, entry] : start) all["game/Cache/" + path] = entry;
        TempDir temp;
        PlatformDisk realDisk;
        MemoryDisk memory(true);
        const std::string root = foldCase ? "/t" : temp.path();
        if (foldCase) Lay(memory, root, all);
        for (const auto& [path, entry] : foldCase ? model::Tree{} : all) {
            if (entry.kind == model::Kind::Folder) std::filesystem::create_directories(NativePath(root + "/" + path));
            else TempDir::Write(root + "/" + path, entry.content);
            if (entry.readOnly) TempDir::SetReadOnly(root + "/" + path);
        }
        ASSERT_EQ(ConvertThenSortAsTheRulesSay(foldCase ? static_cast<Disk&>(memory) : realDisk, root, start, outside,
                                               model::kFoldingDisk && !foldCase), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Disk, RandomCaches, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FoldingCaseInMemory" : "CaseSensitiveOnDisk"; });

}  // namespace
}  // namespace tcc
