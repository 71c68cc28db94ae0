#include <sys/stat.h>

#include <gtest/gtest.h>

#include "core/cache_reset.h"
#include "core/file_error.h"
#include "sort/sort_folders.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

const std::string kFresh = "[Cache]\r\n";
const std::string kOld = "[Cache]\r\nA=Map.unr\r\nB=Tex.utx\r\n";
const char* const kQuestion =
    "You haven't converted the cache directory yet, are you sure you want to delete the 'Cache.ini' settings?";

class Reset : public ::testing::Test {
protected:
    Reset() : state(disk) {}

    void Run(const std::string& folder) {
        state.ChooseFolder(folder);
        cmdRefresh_Click(state, window);
    }

    MemoryDisk disk;
    CacheFolderState state;
    RecordingWindow window;
};

TEST_F(Reset, AsksFirstUntilAConversionHasFinished) {
    disk.AddFile("/g/Cache/cache.ini", kOld);
    window.answers = {Answer::No};
    Run("/g/Cache");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, kQuestion);
    EXPECT_EQ(window.messages[0].title, "'Cache.ini' Overwrite");
    EXPECT_EQ(window.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(window.messages[0].icon, Icon::None);
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), kOld);
    EXPECT_EQ(disk.count("create") + disk.count("replace") + disk.count("remove"), 0);

    window.answers = {Answer::Yes};
    Run("/g/Cache");
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), kFresh);
    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_FALSE(state.cacheConverted);

    // Converted once in this run: no question (an unscripted one throws), in
    // any folder, also one not named like a cache folder that has an index.
    disk.AddFile("/g/Other/cache.ini", kOld);
    state.cacheConverted = true;
    Run("/g/Other");
    EXPECT_EQ(disk.Content("/g/Other/cache.ini"), kFresh);
    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.fileListRefreshes, 0);
    EXPECT_EQ(state.cacheIndexPath, "/g/Other/cache.ini");
}

TEST_F(Reset, AMissingIndexIsMadeOnlyInACacheFolder) {
    state.cacheConverted = true;
    for (const std::string name : {"cache", "Cache"}) {
        disk.AddFolder("/g/" + name);
        Run("/g/" + name);
        EXPECT_EQ(disk.Content("/g/" + name + "/cache.ini"), kFresh);
    }
    EXPECT_TRUE(window.messages.empty());

    for (const std::string name : {"CACHE", "Other"}) {
        disk.AddFolder("/g/" + name);
        Run("/g/" + name);
        EXPECT_FALSE(disk.HasFile("/g/" + name + "/cache.ini"));
    }
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[1].text, "This is not a 'Cache' Folder");
    EXPECT_EQ(disk.Files().size(), 2u);
}

TEST_F(Reset, KeepsTheIndexNameAsItStandsOnDisk) {
    state.cacheConverted = true;
    disk.AddFile("/g/cache/Cache.INI", kOld);
    Run("/g/cache");
    EXPECT_EQ(disk.Files(), (std::map<std::string, std::string>{{"/g/cache/Cache.INI", kFresh}}));
}

TEST_F(Reset, AFailureLeavesTheOldIndexIntactAndNoTemporaryFile) {
    state.cacheConverted = true;
    disk.AddFile("/g/cache/cache.ini", kOld);
    disk.AddFile("/g/cache/x.unr", "x");
    const auto before = disk.Files();
    // The new index is complete; only putting it in place fails.
    disk.SetHook([](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "replace") return kPathFileAccessError;
        return std::nullopt;
    });
    try {
        Run("/g/cache");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kPathFileAccessError);
    }
    EXPECT_EQ(disk.Files(), before);
    EXPECT_EQ(disk.openStreams(), 0);

    disk.SetHook(nullptr);
    disk.AddFile("/g/cache/cache.ini", kOld, true);
    try {
        Run("/g/cache");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kPermissionDenied);
    }
    EXPECT_EQ(disk.Files(), before);
}

TEST_F(Reset, WithoutAChosenFolderBothCommandsAskForOne) {
    disk.AddFile("/g/cache/x.unr");
    cmdRefresh_Click(state, window);
    cmdSort_Click(state, window);
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].text, "Locate the game's Cache directory.");
    EXPECT_EQ(window.messages[1].text, "Locate the game's Cache directory.");
    EXPECT_EQ(disk.count("create") + disk.count("mkdir") + disk.count("rename"), 0);
}

TEST(ResetOnDisk, WritesExactlyTheHeaderAndRefusesAReadOnlyIndex) {
    TempDir dir;
    const std::string index = dir / "Cache/cache.ini";
    std::string many = "[Cache]\r\n";
    for (int i = 0; i < 5000; ++i) many += "K" + std::to_string(i) + "=Name" + std::to_string(i) + ".unr\r\n";
    TempDir::Write(index, many);

    RealDisk disk;
    CacheFolderState state(disk);
    RecordingWindow window;
    state.cacheConverted = true;
    state.ChooseFolder(dir / "Cache");
    cmdRefresh_Click(state, window);
    EXPECT_EQ(TempDir::Read(index), "[Cache]\r\n");
    EXPECT_EQ(std::filesystem::file_size(index), 9u);

    TempDir::Write(index, many);
    ASSERT_EQ(::chmod(index.c_str(), 0444), 0);
    try {
        cmdRefresh_Click(state, window);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kPermissionDenied);
    }
    EXPECT_EQ(TempDir::Read(index), many);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "Cache"), {}), 1);
    EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace tcc
