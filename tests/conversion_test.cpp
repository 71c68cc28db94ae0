#include <gtest/gtest.h>

#include "core/cache_conversion.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/cache_model.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

class Conversion : public CacheFixture {
protected:
    void Convert(const std::string& folder = kDir) {
        state.ChooseFolder(folder);
        cmdGetCache_Click(state, window);
    }
};

TEST_F(Conversion, ChecksTheFolderAndTheIndexFirst) {
    cmdGetCache_Click(state, window);
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

// Others change the folder between the listing and the renames: a target
// that appears is never replaced (the record is passed over), a cached file
// that vanishes ends the command with its path.
TEST_F(Conversion, ChangesBehindItsBackAreMetByTheDisk) {
    File("cache.ini", "[Cache]\r\nA=Map.unr\r\nB=Next.unr\r\n");
    File("A.uxx", "cached");
    File("B.uxx");
    disk.SetHook([this](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename" && !Has("Map.unr")) File("Map.unr", "newcomer");
        if (op.kind == "rename" && op.path == kDir + "/B.uxx" && Has("B.uxx")) disk.Remove(op.path);
        return std::nullopt;
    });
    EXPECT_EQ(ErrorText([&] { Convert(); }), "53 File not found: " + kDir + "/B.uxx");
    EXPECT_EQ(At("Map.unr"), "newcomer");
    EXPECT_EQ(At("A.uxx"), "cached");
    EXPECT_EQ(window.notes.size(), 1u);
    EXPECT_EQ(window.notes[0].reason, "target taken");
}

// A name too long for the file system names nothing: the record is passed
// over, whichever comes first.
TEST(ConversionOnDisk, NamesTooLongToHoldArePassedOverInAnyOrder) {
    const std::string tooLong(300, 'n'), records[] = {"L=" + tooLong + "\n" + tooLong + "=x.unr\n", "A=Map.unr\n"};
    for (const bool longFirst : {true, false}) {
        TempDir dir;
        TempDir::Write(dir / "Cache/cache.ini", "[Cache]\n" + records[!longFirst] + records[longFirst]);
        TempDir::Write(dir / "Cache/L.uxx", "l");
        TempDir::Write(dir / "Cache/A.uxx", "a");
        PlatformDisk disk;
        CacheFolderState state(disk);
        RecordingWindow window;
        state.ChooseFolder(dir / "Cache");
        EXPECT_FALSE(state.fs().FileExists(dir / ("Cache/" + tooLong)));
        EXPECT_EQ(ErrorOf([&] { cmdGetCache_Click(state, window); }), 0);
        EXPECT_TRUE(TempDir::Read(dir / "Cache/Map.unr") == "a" && TempDir::Read(dir / "Cache/L.uxx") == "l");
        EXPECT_EQ(window.notes.size(), 3u);
    }
}

}  // namespace
}  // namespace tcc
