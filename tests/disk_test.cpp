#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_error.h"
#include "core/paths.h"
#include "tests/support/cache_check.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

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
