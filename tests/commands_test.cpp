// The commands on an in-memory cache folder: what they check first, what they tell the window and how they meet
// changes behind their back. The rules for every file are checked against a model by the random caches.
#include <gtest/gtest.h>

#include <set>

#include "commands/convert.h"
#include "commands/refresh.h"
#include "commands/sort.h"
#include "tests/support/cache_fixture.h"

namespace tcc {
namespace {

using Conversion = CacheFixture;

TEST_F(Conversion, ChecksTheFolderAndTheIndexFirst) {
    RunConvert(state, window);
    disk.AddFile("/g/CACHE/cache.ini", "[Cache]\r\nA=b.unr\r\n");
    disk.AddFile("/g/CACHE/A.uxx");
    Run(RunConvert, "/g/CACHE");
    EXPECT_TRUE(window.Shown(Label::Folder) && window.Shown(Label::FolderName));
    EXPECT_EQ(state.cacheIndexPath, "/g/CACHE/cache.ini");

    File("A.uxx");
    Run(RunConvert);
    EXPECT_EQ(window.messages, (std::vector<RecordingWindow::Message>{
                                   {"Locate the game's Cache directory.", "", Buttons::Ok, Icon::None},
                                   {"This is not a 'Cache' Folder", "'Cache' folder not found", Buttons::Ok, Icon::None},
                                   {"'Cache.ini' is missing, Conversion cannot proceed.", "'Cache.ini' file not found.", Buttons::Ok, Icon::None}}));
    EXPECT_FALSE(state.cacheConverted || window.Shown(Label::Warning));
    EXPECT_EQ(disk.count("rename") + disk.count("create"), 0);

    File("Cache.INI", "[Cache]\r\nA=Found.unr\r\n");  // the index in other letter case
    Run(RunConvert);
    EXPECT_TRUE(Has("Found.unr") && state.cacheConverted && window.Count("files") == 1);  // the list per rename
    // An index without records renames nothing but counts, with the notice.
    for (const std::string content : {"", "[Cache]\r\n"}) {
        disk.AddFile(kDir + "/cache.ini", content);
        File("B.uxx");
        state.cacheConverted = false;
        const std::size_t seen = window.events.size();
        Run(RunConvert);
        EXPECT_TRUE(state.cacheConverted && Has("B.uxx"));
        EXPECT_EQ(std::vector(window.events.begin() + seen, window.events.end()), (std::vector<std::string>{"label:0", "label:1", "label:2"}));
    }
}

using Reset = CacheFixture;

// Asked first until a conversion has finished; once converted, an index is
// reset in any folder, whatever its name, and a missing one is made only in a
// cache folder; the file list is left alone. A read-only folder or index is
// refused, naming it; a temporary name left by a run cut short is passed over;
// a failure names the index, and the old index stays.
TEST_F(Reset, AsksUntilConvertedRefusesWhatMayNotBeWrittenAndKeepsTheOldIndexOnAFailure) {
    const std::string old = "[Cache]\r\nA=Map.unr\r\nB=Tex.utx\r\n", fresh = "[Cache]\r\n";
    disk.AddFile("/g/Cache/cache.ini", old);
    window.answers = {Answer::No, Answer::Yes};
    Run(RunRefresh, "/g/Cache");
    EXPECT_EQ(window.messages.at(0), (RecordingWindow::Message{"You haven't converted the cache directory yet, are you sure you want "
                                                               "to delete the 'Cache.ini' settings?", "'Cache.ini' Overwrite", Buttons::YesNo, Icon::None}));
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), old);
    Run(RunRefresh, "/g/Cache");
    state.cacheConverted = true;  // no question now: an unscripted one throws
    disk.AddFile("/g/Other/Cache.INI", old);
    for (const std::string name : {"Other", "cache", "CACHE"}) disk.AddFolder("/g/" + name), Run(RunRefresh, "/g/" + name);
    EXPECT_EQ(std::tuple(window.messages.size(), window.messages.back().text, window.Count("files")),
              std::tuple(3u, "This is not a 'Cache' Folder", 0));
    disk.AddFolder("/g/Locked", true);
    disk.AddFile("/g/Locked/cache.ini", old);
    disk.AddFile("/g/Held/cache.ini", old, true);
    EXPECT_EQ(ErrorText([&] { Run(RunRefresh, "/g/Locked"); }), "70 Permission denied: /g/Locked");
    EXPECT_EQ(ErrorText([&] { Run(RunRefresh, "/g/Held"); }), "70 Permission denied: /g/Held/cache.ini");
    disk.AddFile("/g/Cache/cache.ini", old);
    int creates = 0;
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "create" && ++creates == 1) return kFileAlreadyExists;
        return op.kind == "write" && creates == 2 ? std::optional<int>(kPermissionDenied) : std::nullopt;
    });
    EXPECT_EQ(ErrorText([&] { Run(RunRefresh, "/g/Cache"); }), "70 Permission denied: /g/Cache/cache.ini");
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), old);
    Run(RunRefresh, "/g/Cache");
    EXPECT_EQ(disk.Files(), (std::map<std::string, std::string>{{"/g/Cache/cache.ini", fresh}, {"/g/Other/Cache.INI", fresh},
                                                                {"/g/cache/cache.ini", fresh}, {"/g/Locked/cache.ini", old},
                                                                {"/g/Held/cache.ini", old}}));
    std::set<std::string> temporary;  // every attempt under a name of its own
    for (const MemoryDisk::Op& op : disk.log()) temporary.insert(op.kind == "create" ? op.path : "");
    EXPECT_EQ(temporary.size(), disk.count("create") + 1u);
}

// On a disk where letter case counts and on one that folds case.
class Sort : public CacheFixture, public ::testing::WithParamInterface<bool> {
protected:
    Sort() : CacheFixture(GetParam()) {}
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
    EXPECT_EQ(ErrorText([&] { Run(RunSort); }), "53 File not found: " + kDir + "/Gone.uax");
    EXPECT_TRUE(At("Textures/Taken.utx") == "newcomer" && At("Taken.utx") == "Taken.utx" && Has("Maps/BIG.UNR"));
    EXPECT_TRUE(disk.HasFolder(kDir + "/folder.unr") && window.notes.back() == (FileAction{FileAction::Kind::Skip, "Taken.utx", {}, "target taken"}));
    // The folder list is brought up to date before the last folder is made
    // and after it; the file list once per pass.
    EXPECT_EQ(window.events, (std::vector<std::string>{"dirs", "mkdir unknown", "dirs", "files", "files"}));
    window.events.clear();
    disk.SetHook(nullptr);
    Run(RunSort);  // its closing message (whose text the command line shows) comes last
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(std::tuple(window.messages[0].title, window.events.back()), std::tuple("Finished Sorting", "message:" + window.messages[0].text));
}

INSTANTIATE_TEST_SUITE_P(Disk, Sort, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FoldingCase" : "CaseSensitive"; });

}  // namespace
}  // namespace tcc
