#include <gtest/gtest.h>

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
    EXPECT_EQ(TempDir::Read(dir / "Free.unr"), "new");
    EXPECT_FALSE(std::filesystem::exists(dir / "a.uxx"));
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
