#include <gtest/gtest.h>

#include "commands/convert.h"
#include "commands/sort.h"
#include "core/dry_run_disk.h"
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
    MemoryDisk disk(true, [](std::string_view name) {
        std::string key = FoldCase(name);
        for (std::size_t at; (at = key.find("\xC3\x89")) != std::string::npos;) key[at + 1] = '\xA9';
        return key;
    });
    const std::string dir = "/c/Cache";
    for (const auto& [name, content] : std::map<std::string, std::string>{
             {"cache.ini", "[Cache]\r\nk1=N\xC3\x89.unr\r\nk2=\xC3\x89t\xC3\xA9.utx"}, {"n\xC3\xA9.unr", "taken"},
             {"k1.uxx", "k1"}, {"k2.uxx", "k2"}, {"Textures/\xC3\x89T\xC3\x89.utx", "old"}}) {
        disk.AddFile(dir + "/" + name, content);
    }
    DryRunDisk dry(disk);
    RecordingWindow foreseen, done;
    auto run = [&](Disk& on, RecordingWindow& window) {
        CacheFolderState state(on);
        state.ChooseFolder(dir);
        EXPECT_TRUE(RunConvert(state, window) && RunSort(state, window));
        return Snapshot(on, dir);
    };
    const model::Tree dryRun = run(dry, foreseen);
    EXPECT_EQ(model::Diff(dryRun, run(disk, done)), "");
    EXPECT_TRUE(foreseen.notes == done.notes);
    EXPECT_EQ(disk.Content(dir + "/Textures/\xC3\xA9t\xC3\xA9.utx") + disk.Content(dir + "/k1.uxx"), "k2k1");
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

class NoReplace : public ::testing::TestWithParam<bool> {};

TEST_P(NoReplace, RenameNeverReplacesATakenName) {
    TempDir dir;
    TempDir::Write(dir / "a.uxx", "new");
    TempDir::Write(dir / "Map.unr", "old");
    PlatformDisk disk;
#ifndef _WIN32
    disk.ForceLinkFallback(GetParam());
#endif
    // At the disk level, as when the target appears after the caller looked.
    EXPECT_EQ(ErrorOf([&] { disk.RenameNoReplace(dir / "a.uxx", dir / "Map.unr"); }), kFileAlreadyExists);
    EXPECT_EQ(TempDir::Read(dir / "a.uxx"), "new");
    EXPECT_EQ(TempDir::Read(dir / "Map.unr"), "old");
    disk.RenameNoReplace(dir / "a.uxx", dir / "Free.unr");
    EXPECT_TRUE(TempDir::Read(dir / "Free.unr") == "new" && !std::filesystem::exists(NativePath(dir / "a.uxx")));
}

// Linux: renameat2 and, where it is missing, a hard link; Windows: MoveFileExW.
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(WinDisk, NoReplace, ::testing::Values(false), [](const auto&) { return "MoveFileExW"; });
#else
INSTANTIATE_TEST_SUITE_P(RealDisk, NoReplace, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "LinkFallback" : "Renameat2"; });
#endif

}  // namespace
}  // namespace tcc
