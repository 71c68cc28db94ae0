#include <gtest/gtest.h>

#include "commands/convert.h"
#include "tests/support/cache_fixture.h"

namespace tcc {
namespace {

class Conversion : public CacheFixture {
protected:
    void Convert(const std::string& folder = kDir) {
        state.ChooseFolder(folder);
        RunConvert(state, window);
    }
};

TEST_F(Conversion, ChecksTheFolderAndTheIndexFirst) {
    RunConvert(state, window);
    const auto& locate = window.messages.at(0);
    EXPECT_EQ(std::tie(locate.text, locate.title, locate.buttons, locate.icon),
              std::tuple("Locate the game's Cache directory.", "", Buttons::Ok, Icon::None));

    disk.AddFile("/g/CACHE/cache.ini", "[Cache]\r\nA=b.unr\r\n");
    disk.AddFile("/g/CACHE/A.uxx");
    Convert("/g/CACHE");
    const auto& refused = window.messages.at(1);
    EXPECT_EQ(std::tie(refused.text, refused.title, refused.buttons, refused.icon),
              std::tuple("This is not a 'Cache' Folder", "'Cache' folder not found", Buttons::Ok, Icon::None));
    EXPECT_TRUE(window.Shown(Label::Folder) && window.Shown(Label::FolderName));
    EXPECT_EQ(state.cacheIndexPath, "/g/CACHE/cache.ini");

    File("A.uxx");
    Convert();
    const auto& missing = window.messages.at(2);
    EXPECT_EQ(std::tie(missing.text, missing.title, missing.buttons, missing.icon),
              std::tuple("'Cache.ini' is missing, Conversion cannot proceed.", "'Cache.ini' file not found.",
                         Buttons::Ok, Icon::None));
    EXPECT_FALSE(state.cacheConverted || window.Shown(Label::Warning));
    EXPECT_EQ(disk.count("rename") + disk.count("create"), 0);

    File("Cache.INI", "[Cache]\r\nA=Found.unr\r\n");  // the index in other letter case
    Convert();
    EXPECT_TRUE(Has("Found.unr") && state.cacheConverted && window.Count("files") == 1);  // the list per rename
    // An index without records renames nothing but counts, with the notice.
    for (const std::string content : {"", "[Cache]\r\n"}) {
        disk.AddFile(kDir + "/cache.ini", content);
        File("B.uxx");
        state.cacheConverted = false;
        const std::size_t seen = window.events.size();
        Convert();
        EXPECT_TRUE(state.cacheConverted && Has("B.uxx"));
        EXPECT_EQ(std::vector(window.events.begin() + seen, window.events.end()), (std::vector<std::string>{"label:0", "label:1", "label:2"}));
    }
}

}  // namespace
}  // namespace tcc
