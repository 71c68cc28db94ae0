// The disks, the file-system service over them and the UTF-16 names.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_error.h"
#include "core/file_system.h"
#include "core/paths.h"
#include "core/utf16.h"
#include "tests/support/cache_check.h"
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

// How the disk renames without replacing: renameat2, a hard link, or look
// then rename where the file system refuses both.
class NoReplace : public ::testing::TestWithParam<int> {};

TEST_P(NoReplace, RenameNeverReplacesATakenName) {
    TempDir dir;
    TempDir::Write(dir / "a.uxx", "new");
    TempDir::Write(dir / "Map.unr", "old");
    PlatformDisk disk;
#ifndef _WIN32
    disk.PretendUnsupported(GetParam() > 0, GetParam() > 1);
#endif
    // At the disk level, as when the target appears after the caller looked.
    EXPECT_EQ(ErrorOf([&] { disk.RenameNoReplace(dir / "a.uxx", dir / "Map.unr"); }), kFileAlreadyExists);
    EXPECT_EQ(TempDir::Read(dir / "a.uxx"), "new");
    EXPECT_EQ(TempDir::Read(dir / "Map.unr"), "old");
    disk.RenameNoReplace(dir / "a.uxx", dir / "Free.unr");
    EXPECT_TRUE(TempDir::Read(dir / "Free.unr") == "new" && !std::filesystem::exists(NativePath(dir / "a.uxx")));
    // A missing file is named, and so is a target in a missing folder.
    EXPECT_EQ(ErrorText([&] { disk.RenameNoReplace(dir / "gone", dir / "x"); }), "53 File not found: " + dir / "gone");
    EXPECT_EQ(ErrorText([&] { disk.RenameNoReplace(dir / "Free.unr", dir / "no/x"); }), "76 Path not found: " + dir / "no/x");
#ifndef _WIN32
    // To another file system (a tmpfs) the rename is refused as one between devices.
    EXPECT_EQ(ErrorOf([&] { disk.RenameNoReplace(dir / "Free.unr", "/dev/shm/tcc-" + LastComponent(dir.path())); }),
              kRenameAcrossDrives);
#endif
}

// Linux: renameat2; where the file system lacks it, a hard link; where it
// lacks both, look then rename. Windows: MoveFileExW.
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(WinDisk, NoReplace, ::testing::Values(0), [](const auto&) { return "MoveFileExW"; });
#else
INSTANTIATE_TEST_SUITE_P(RealDisk, NoReplace, ::testing::Values(0, 1, 2), [](const auto& info) {
    return std::string(info.param == 0 ? "Renameat2" : info.param == 1 ? "LinkFallback" : "LookThenRename");
});
#endif

}  // namespace
}  // namespace tcc
