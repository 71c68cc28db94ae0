#include <gtest/gtest.h>

#include <set>

#include "commands/refresh.h"
#include "tests/support/cache_fixture.h"

namespace tcc {
namespace {

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
    EXPECT_EQ(window.messages.at(0), (RecordingWindow::Message{"You haven't converted the cache directory yet, are you sure you want "
                                                               "to delete the 'Cache.ini' settings?", "'Cache.ini' Overwrite", Buttons::YesNo, Icon::None}));
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
