#include <gtest/gtest.h>

#include "commands/convert.h"
#include "core/file_error.h"
#include "core/file_system.h"
#include "core/utf16.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

TEST(FileSystem, ListingsLiveForOneCommandAndAreReadAfreshOutsideOne) {
    MemoryDisk disk;
    for (int i = 0; i < 50; ++i) disk.AddFile("/c/Cache/f" + std::to_string(i) + ".uxx");
    FileSystem fs(disk);
    {
        FileSystem::Command command(fs);
        for (int i = 0; i < 200; ++i) EXPECT_FALSE(fs.FileExists("/c/Cache/missing" + std::to_string(i)));
        FileSystem::Listing& here = fs.ListingOf(fs.GetFolder("/c/Cache"));
        EXPECT_TRUE(fs.Move(here, "f1.uxx", here, "Moved.unr"));
        EXPECT_TRUE(fs.FileExists("/c/Cache/MOVED.unr"));
        EXPECT_FALSE(fs.FileExists("/c/Cache/F1.uxx"));
        EXPECT_EQ(disk.count("readdir"), 1);
    }
    disk.AddFile("/c/Cache/Outside.unr");
    disk.AddFile("/c/Cache/.hidden.unr");
    EXPECT_TRUE(fs.FileExists("/c/Cache/outside.UNR"));
    EXPECT_EQ(fs.ListFiles("/c/Cache", "*.UNR"), (std::vector<std::string>{"Moved.unr", "Outside.unr"}));
    EXPECT_EQ(disk.count("readdir"), 3);
}

// A disk that takes É and é for one name, as Windows does: the lookups and
// the dry run go by its rule, not by ASCII's. The target of k1 is taken; k2's
// replaces its same-named file in the sort folder.
TEST(FileSystem, FindsNamesByTheDisksRuleAndSoDoesTheDryRun) {
    MemoryDisk disk(true, model::Fold);
    const model::Entry folder{model::Kind::Folder, ""};
    model::Tree start = {{"cache.ini", {model::Kind::File, "[Cache]\r\nk1=N\xC3\x89.unr\r\nk2=\xC3\x89t\xC3\xA9.utx"}},
                         {"Textures", folder}};
    for (const char* name : {"n\xC3\xA9.unr", "k1.uxx", "k2.uxx", "Textures/\xC3\x89T\xC3\x89.utx"}) {
        start[name] = {model::Kind::File, name};
    }
    Lay(disk, "/t/game/Cache", start);
    EXPECT_EQ(ConvertThenSortAsTheRulesSay(disk, "/t", start, {{"game", folder}, {"game/Cache", folder}}, false), "");
}

// UTF-8 and UTF-16 into each other without loss (a pair is one code point of
// four bytes, a lone half three bytes of its own); bytes that are not such
// UTF-8 have no UTF-16.
TEST(Utf16, ConvertsWithoutLossAndRefusesWhatIsNotUtf8) {
    std::wstring units;
    EXPECT_TRUE(ToUtf16("\xF0\x9F\x98\x80\xED\xA0\xBD!", &units) && units == std::wstring({0xD83D, 0xDE00, 0xD83D, L'!'}));
    for (const std::string text : {"Map.unr", "n\xC3\xA9", "\xE9\x99\xB0", "\xF0\x9F\x98\x80", "\xED\xA0\xBD!", "a\xED\xB8\x80"}) {
        EXPECT_TRUE(ToUtf16(text, &units) && ToUtf8(units) == text) << text;
    }
    for (const std::string bad : {"n\xE9", "\xC0\x80", "\xE0\x80\x80", "\xE9\x99", "\xED\xA0\xBD\xED\xB8\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_FALSE(ToUtf16(bad, &units)) << bad;
    }
}

class Conversion : public CacheFixture {
protected:
    void Convert(const std::string& folder = kDir) {
        state.ChooseFolder(folder);
        RunConvert(state, window);
    }
};

TEST_F(Conversion, ChecksTheFolderAndTheIndexFirst) {
    RunConvert(state, window);

    disk.AddFile("/g/CACHE/cache.ini", "[Cache]\r\nA=b.unr\r\n");
    disk.AddFile("/g/CACHE/A.uxx");
    Convert("/g/CACHE");
    EXPECT_TRUE(window.Shown(Label::Folder) && window.Shown(Label::FolderName));
    EXPECT_EQ(state.cacheIndexPath, "/g/CACHE/cache.ini");

    File("A.uxx");
    Convert();
    EXPECT_TRUE(window.messages == (std::vector<RecordingWindow::Message>{
                    {"Locate the game's Cache directory.", "", Buttons::Ok, Icon::None},
                    {"This is not a 'Cache' Folder", "'Cache' folder not found", Buttons::Ok, Icon::None},
                    {"'Cache.ini' is missing, Conversion cannot proceed.", "'Cache.ini' file not found.", Buttons::Ok,
                     Icon::None}}));
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

// Linux: renameat2 and, where it is missing, a hard link (the Windows disk's
// own tests check MoveFileExW).
#ifndef _WIN32
class NoReplace : public ::testing::TestWithParam<bool> {};

TEST_P(NoReplace, RenameNeverReplacesATakenName) {
    TempDir dir;
    TempDir::Write(dir / "a.uxx", "new");
    TempDir::Write(dir / "Map.unr", "old");
    RealDisk disk;
    disk.ForceLinkFallback(GetParam());
    // At the disk level, as when the target appears after the caller looked.
    EXPECT_EQ(ErrorOf([&] { disk.RenameNoReplace(dir / "a.uxx", dir / "Map.unr"); }), kFileAlreadyExists);
    EXPECT_EQ(TempDir::Read(dir / "a.uxx"), "new");
    EXPECT_EQ(TempDir::Read(dir / "Map.unr"), "old");
    disk.RenameNoReplace(dir / "a.uxx", dir / "Free.unr");
    EXPECT_TRUE(TempDir::Read(dir / "Free.unr") == "new" && !std::filesystem::exists(NativePath(dir / "a.uxx")));
}

INSTANTIATE_TEST_SUITE_P(RealDisk, NoReplace, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "LinkFallback" : "Renameat2"; });
#endif

}  // namespace
}  // namespace tcc
