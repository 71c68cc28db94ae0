#include <gtest/gtest.h>

#include "commands/convert.h"
#include "core/file_error.h"
#include "core/file_system.h"
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
#ifndef _WIN32
    // To another file system (a tmpfs) the disk refuses the rename as one between devices.
    EXPECT_EQ(ErrorOf([&] { disk.RenameNoReplace(dir / "Free.unr", "/dev/shm/tcc-" + LastComponent(dir.path())); }), kRenameAcrossDrives);
#endif
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
