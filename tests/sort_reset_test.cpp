#include <gtest/gtest.h>

#include <set>

#include "commands/refresh.h"
#include "commands/sort.h"
#include "tests/support/cache_fixture.h"

namespace tcc {
namespace {

// Each sort test runs on a disk where letter case counts and on one that
// folds case. Where the files end up the random caches check against the
// model; these check the order of the steps and what the user is told.
class Sort : public CacheFixture, public ::testing::WithParamInterface<bool> {
protected:
    Sort() : CacheFixture(GetParam()) {}
    void Run() {
        state.ChooseFolder(kDir);
        RunSort(state, window);
    }
};

TEST_P(Sort, MovesEachFileByExtensionInPassOrderAndLeavesTheRest) {
    for (const char* name : {"int.int", "dll.dll", "code.u", "ext.unk", "music.umx", "snd.uax", "tex.utx", "BIG.UNR",
                             "Lib.DLL", "cache.ini", "K1.uxx", "b.u.bak", ".hidden.unr"}) {
        File(name);
    }
    disk.AddFolder(kDir + "/folder.unr");
    disk.AddFolder(kDir + "/Sounds");
    std::string steps;  // the folders made and the files moved, in order
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "mkdir" || op.kind == "rename") steps += (op.path2.empty() ? op.path : op.path2).substr(kDir.size() + 1) + ";";
        if (op.kind == "mkdir" && op.path.ends_with("/Unknown Extensions")) window.events.push_back("mkdir unknown");
        return std::nullopt;
    });
    Run();
    EXPECT_EQ(steps, "Maps;System;Textures;Music;Unknown Extensions;Maps/BIG.UNR;Textures/tex.utx;Sounds/snd.uax;"
                     "Music/music.umx;Unknown Extensions/ext.unk;System/code.u;System/Lib.DLL;System/dll.dll;System/int.int;");
    EXPECT_TRUE(disk.HasFolder(kDir + "/folder.unr") && Has("b.u.bak") && Has(".hidden.unr"));
    EXPECT_TRUE(window.messages == (std::vector<RecordingWindow::Message>{
                    {"Simply copy the 'Map', 'Textures', 'Sounds', 'Music', & 'System' folders from\r\nthe 'Cache' "
                     "directory to the game's main directory, choosing overwrite.", "Finished Sorting", Buttons::Ok,
                     Icon::None}}));
    // The folder list is brought up to date before the last folder is made
    // and after it; the file list per pass, not per file, and before the message.
    EXPECT_EQ(window.events[0], "dirs");
    EXPECT_EQ(window.events[1], "mkdir unknown");
    EXPECT_EQ(window.Count("dirs"), 2);
    EXPECT_LE(window.Count("files"), 8);
    EXPECT_EQ(window.events[window.events.size() - 2], "files");
}

// A file this sort moved in is never replaced by a later one of the same name
// but for case; a name taken behind the sort's back is passed over, and a
// file that vanished ends the sort with its path.
TEST_P(Sort, NamesThatDifferOnlyInCaseAndChangesBehindItsBack) {
    disk.AddFile(kDir + "/Maps/MAP.UNR", "old");
    File("Map.unr", "first");
    if (!GetParam()) File("map.unr", "second");
    File("Taken.utx", "mine");
    File("Gone.uax");
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename" && op.path == kDir + "/Taken.utx") disk.AddFile(kDir + "/Textures/Taken.utx", "newcomer");
        if (op.kind == "rename" && op.path == kDir + "/Gone.uax" && Has("Gone.uax")) disk.Remove(op.path);
        return std::nullopt;
    });
    EXPECT_EQ(ErrorText([&] { Run(); }), "53 File not found: " + kDir + "/Gone.uax");
    EXPECT_TRUE(At("Maps/Map.unr") == "first" && !disk.Files().count(kDir + "/Maps/MAP.UNR"));
    EXPECT_TRUE(At("Textures/Taken.utx") == "newcomer" && At("Taken.utx") == "mine");
    std::string notes;
    for (const FileAction& note : window.notes) notes += (note.from.empty() ? "+" + note.to : note.from + " " + note.reason) + ";";
    EXPECT_EQ(notes, "+System;+Textures;+Sounds;+Music;+Unknown Extensions;Map.unr ;" +
                         std::string(GetParam() ? "" : "map.unr target taken;") + "Taken.utx target taken;");
    EXPECT_EQ(At("map.unr"), GetParam() ? "" : "second");
}

INSTANTIATE_TEST_SUITE_P(Disk, Sort, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FoldingCase" : "CaseSensitive"; });

class Reset : public CacheFixture {
protected:
    void Run(const std::string& folder) {
        state.ChooseFolder(folder);
        RunRefresh(state, window);
    }
    const std::string kOld = "[Cache]\r\nA=Map.unr\r\nB=Tex.utx\r\n";
};

// Asked first until a conversion has finished; once converted, an index is
// reset in any folder, whatever its name, and a missing one is made only in a
// cache folder; the file list is left alone.
TEST_F(Reset, AsksUntilConvertedAndMakesAMissingIndexOnlyInACacheFolder) {
    disk.AddFile("/g/Cache/cache.ini", kOld);
    window.answers = {Answer::No, Answer::Yes};
    Run("/g/Cache");
    EXPECT_TRUE(window.messages.at(0) == (RecordingWindow::Message{
                                             "You haven't converted the cache directory yet, are you sure you want to "
                                             "delete the 'Cache.ini' settings?",
                                             "'Cache.ini' Overwrite", Buttons::YesNo, Icon::None}));
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), kOld);
    Run("/g/Cache");
    state.cacheConverted = true;  // no question now: an unscripted one throws
    disk.AddFile("/g/Other/Cache.INI", kOld);
    for (const std::string name : {"Other", "cache", "CACHE"}) disk.AddFolder("/g/" + name), Run("/g/" + name);
    const std::string fresh = "[Cache]\r\n";
    EXPECT_EQ(disk.Files(), (std::map<std::string, std::string>{
                                {"/g/Cache/cache.ini", fresh}, {"/g/Other/Cache.INI", fresh}, {"/g/cache/cache.ini", fresh}}));
    EXPECT_EQ(std::tuple(window.messages.size(), window.messages.back().text, window.Count("files")),
              std::tuple(3u, "This is not a 'Cache' Folder", 0));
}

// A read-only index is refused; a temporary name left by a run cut short is
// passed over; a failure names the index, and the old index stays.
TEST_F(Reset, ARefusalOrFailureKeepsTheOldIndexAndALeftoverTemporaryNameIsPassedOver) {
    disk.AddFile("/g/Cache/cache.ini", kOld, true);
    state.cacheConverted = true;
    EXPECT_EQ(ErrorText([&] { Run("/g/Cache"); }), "70 Permission denied: /g/Cache/cache.ini");
    disk.AddFile("/g/Cache/cache.ini", kOld);
    int creates = 0;
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "create" && ++creates == 1) return kFileAlreadyExists;
        return op.kind == "write" && creates == 2 ? std::optional<int>(kPermissionDenied) : std::nullopt;
    });
    EXPECT_EQ(ErrorText([&] { Run("/g/Cache"); }), "70 Permission denied: /g/Cache/cache.ini");
    EXPECT_EQ(disk.Files(), (std::map<std::string, std::string>{{"/g/Cache/cache.ini", kOld}}));
    Run("/g/Cache");
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), "[Cache]\r\n");
    std::set<std::string> temporary;  // every attempt under a name of its own
    for (const MemoryDisk::Op& op : disk.log()) temporary.insert(op.kind == "create" ? op.path : "");
    EXPECT_EQ(temporary.size(), 4u);
}

}  // namespace
}  // namespace tcc
