#include <gtest/gtest.h>

#include "commands/sort.h"
#include "tests/support/cache_fixture.h"

namespace tcc {
namespace {

// On a disk where letter case counts and on one that folds case.
class Sort : public CacheFixture, public ::testing::WithParamInterface<bool> {
protected:
    Sort() : CacheFixture(GetParam()) {}
    void Run() {
        state.ChooseFolder(kDir);
        RunSort(state, window);
    }
};

// The moves, in their order, and what stays the random caches check against
// the model; this checks the refreshes of the lists and changes behind the
// sort's back: a name taken meanwhile is passed over, and
// a file that vanished ends the sort with its path.
TEST_P(Sort, KeepsTheListsUpToDateTellsTheUserAndMeetsChangesBehindItsBack) {
    for (const char* name : {"int.int", "BIG.UNR", "cache.ini", "Taken.utx", "Gone.uax"}) File(name);
    disk.AddFolder(kDir + "/folder.unr");
    disk.AddFolder(kDir + "/Sounds");
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "mkdir" && op.path.ends_with("/Unknown Extensions")) window.events.push_back("mkdir unknown");
        if (op.kind == "rename" && op.path == kDir + "/Taken.utx") disk.AddFile(kDir + "/Textures/Taken.utx", "newcomer");
        if (op.kind == "rename" && op.path == kDir + "/Gone.uax" && Has("Gone.uax")) disk.Remove(op.path);
        return std::nullopt;
    });
    EXPECT_EQ(ErrorText([&] { Run(); }), "53 File not found: " + kDir + "/Gone.uax");
    EXPECT_TRUE(At("Textures/Taken.utx") == "newcomer" && At("Taken.utx") == "Taken.utx" && Has("Maps/BIG.UNR"));
    EXPECT_TRUE(disk.HasFolder(kDir + "/folder.unr") && window.notes.back() == (FileAction{FileAction::Kind::Skip, "Taken.utx", {}, "target taken"}));
    // The folder list is brought up to date before the last folder is made
    // and after it; the file list once per pass.
    EXPECT_EQ(window.events, (std::vector<std::string>{"dirs", "mkdir unknown", "dirs", "files", "files"}));
    window.events.clear();
    disk.SetHook(nullptr);
    Run();  // its closing message (whose text the command line shows) comes last
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(std::tuple(window.messages[0].title, window.events.back()), std::tuple("Finished Sorting", "message:" + window.messages[0].text));
}

INSTANTIATE_TEST_SUITE_P(Disk, Sort, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FoldingCase" : "CaseSensitive"; });

}  // namespace
}  // namespace tcc
