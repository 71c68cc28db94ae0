#include <sys/stat.h>

#include <gtest/gtest.h>

#include "core/file_error.h"
#include "sort/sort_folders.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

const std::string kDir = "/home/p/game/Cache";
const char* const kFinished =
    "Simply copy the 'Map', 'Textures', 'Sounds', 'Music', & 'System' folders from\r\n"
    "the 'Cache' directory to the game's main directory, choosing overwrite.";

class ProgressWindow : public RecordingWindow {
public:
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
    void Progress(std::uint64_t done, std::uint64_t total) override { progress.emplace_back(done, total); }
};

class Sort : public ::testing::Test {
protected:
    Sort() : state(disk) { disk.AddFolder(kDir); }

    void File(const std::string& name, const std::string& content = "", bool readOnly = false) {
        disk.AddFile(kDir + "/" + name, content.empty() ? name : content, readOnly);
    }
    std::string At(const std::string& name) const { return disk.Content(kDir + "/" + name); }
    bool Has(const std::string& name) const { return disk.HasFile(kDir + "/" + name); }
    void Run(const std::string& folder = kDir) {
        state.ChooseFolder(folder);
        cmdSort_Click(state, window);
    }
    // The sort folder (last folder component) of every move, in order.
    std::vector<std::string> MoveTargets() const {
        std::vector<std::string> targets;
        for (const MemoryDisk::Op& op : disk.log()) {
            if (op.kind != "rename" && op.kind != "replace") continue;
            std::string parent = ParentOf(op.path2);
            targets.push_back(parent.substr(parent.find_last_of('/') + 1) + ":" +
                              op.path2.substr(op.path2.find_last_of('.') + 1));
        }
        return targets;
    }

    MemoryDisk disk;
    CacheFolderState state;
    ProgressWindow window;
};

TEST_F(Sort, MovesEachFileByExtensionInPassOrderAndLeavesTheRest) {
    for (const char* name : {"int.int", "dll.dll", "code.u", "ext.unk", "music.umx", "snd.uax", "tex.utx",
                             "BIG.UNR", "map.unr", "Lib.DLL"}) {
        File(name);
    }
    for (const char* name : {"cache.ini", "K1.uxx", "a.unrx", "b.u.bak", "noext", "c.uc", ".hidden.unr"}) File(name);
    disk.AddFolder(kDir + "/folder.unr");
    Run();

    EXPECT_EQ(MoveTargets(), (std::vector<std::string>{"Maps:UNR", "Maps:unr", "Textures:utx", "Sounds:uax",
                                                       "Music:umx", "Unknown Extensions:unk", "System:u",
                                                       "System:DLL", "System:dll", "System:int"}));
    EXPECT_EQ(At("Maps/BIG.UNR"), "BIG.UNR");
    EXPECT_EQ(At("System/Lib.DLL"), "Lib.DLL");
    EXPECT_EQ(At("Unknown Extensions/ext.unk"), "ext.unk");
    for (const char* name : {"cache.ini", "K1.uxx", "a.unrx", "b.u.bak", "noext", "c.uc", ".hidden.unr"}) {
        EXPECT_TRUE(Has(name)) << name;
    }
    EXPECT_TRUE(disk.HasFolder(kDir + "/folder.unr"));
    EXPECT_EQ(disk.Files().size(), 17u);

    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, kFinished);
    EXPECT_EQ(window.messages[0].title, "Finished Sorting");
    EXPECT_EQ(window.messages[0].buttons, Buttons::Ok);
    EXPECT_EQ(window.messages[0].icon, Icon::None);
    // The file list is brought up to date once per pass, not once per file,
    // and shows the folder as it is before the closing message.
    EXPECT_LE(window.fileListRefreshes, 9);
    EXPECT_EQ(window.events[window.events.size() - 2], "files");
    EXPECT_EQ(window.progress.back(), std::make_pair(std::uint64_t{10}, std::uint64_t{10}));
}

TEST_F(Sort, CreatesOnlyMissingFoldersInOrderAndFillsThoseOfOtherCase) {
    disk.AddFolder(kDir + "/maps/sub");
    disk.AddFile(kDir + "/maps/keep.txt", "k");
    disk.AddFolder(kDir + "/Sounds");
    File("x.unr");
    int refreshesBeforeUnknown = -1;
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "mkdir" && op.path.ends_with("/Unknown Extensions")) {
            refreshesBeforeUnknown = window.dirListRefreshes;
        }
        return std::nullopt;
    });
    Run();

    std::vector<std::string> made;
    for (const MemoryDisk::Op& op : disk.log()) {
        if (op.kind == "mkdir") made.push_back(op.path.substr(kDir.size() + 1));
    }
    EXPECT_EQ(made, (std::vector<std::string>{"System", "Textures", "Music", "Unknown Extensions"}));
    EXPECT_EQ(At("maps/x.unr"), "x.unr");
    EXPECT_EQ(At("maps/keep.txt"), "k");
    EXPECT_TRUE(disk.HasFolder(kDir + "/maps/sub"));
    EXPECT_FALSE(disk.HasFolder(kDir + "/Maps"));
    // The list is refreshed after Music and again after Unknown Extensions.
    EXPECT_EQ(refreshesBeforeUnknown, 1);
    EXPECT_EQ(window.dirListRefreshes, 2);

    // A second sort makes nothing, moves nothing and closes as the first.
    long moves = disk.count("rename") + disk.count("replace");
    Run();
    EXPECT_EQ(disk.count("mkdir"), 4);
    EXPECT_EQ(disk.count("rename") + disk.count("replace"), moves);
    EXPECT_EQ(window.dirListRefreshes, 4);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(Sort, ReplacesASameNamedFileInOneStep) {
    disk.AddFile(kDir + "/Maps/Old.unr", "old");
    disk.AddFile(kDir + "/System/CORE.U", "old core");
    File("Old.unr", "new");
    File("core.u", "new core");
    Run();

    EXPECT_EQ(At("Maps/Old.unr"), "new");
    EXPECT_EQ(At("System/core.u"), "new core");
    EXPECT_FALSE(Has("System/CORE.U"));
    EXPECT_FALSE(Has("Old.unr") || Has("core.u"));
    // The old copy goes only by the move that puts the new one in, or, under
    // another letter case, once the new one is in.
    std::vector<std::string> steps;
    for (const MemoryDisk::Op& op : disk.log()) {
        if (op.kind == "rename" || op.kind == "replace" || op.kind == "remove") {
            steps.push_back(op.kind + " " + op.path.substr(op.path.find_last_of('/') + 1));
        }
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"replace Old.unr", "rename core.u", "remove CORE.U"}));
    EXPECT_EQ(window.messages.size(), 1u);
}

TEST_F(Sort, AReadOnlyFileInASortFolderStopsTheSortWithNothingLost) {
    disk.AddFile(kDir + "/Textures/t.utx", "old", true);
    File("m.unr");
    File("t.utx", "new");
    File("z.u");
    try {
        Run();
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kPermissionDenied);
    }
    EXPECT_TRUE(Has("Maps/m.unr"));
    EXPECT_EQ(At("t.utx"), "new");
    EXPECT_EQ(At("Textures/t.utx"), "old");
    EXPECT_TRUE(Has("z.u"));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(Sort, RefusesAFolderThatIsNotACacheFolder) {
    disk.AddFolder("/g/CACHE/Maps");
    disk.AddFile("/g/CACHE/x.unr", "new");
    disk.AddFile("/g/CACHE/Maps/x.unr", "old");
    Run("/g/CACHE");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "This is not a 'Cache' Folder");
    EXPECT_EQ(window.events.size(), 1u);
    EXPECT_EQ(disk.count("mkdir") + disk.count("rename") + disk.count("replace") + disk.count("remove"), 0);
    EXPECT_FALSE(MakeSortFolders(state, window));
}

TEST(SortOnDisk, MovesReplacesAndRefusesAReadOnlyFile) {
    TempDir dir;
    const std::string cache = dir / "cache";
    TempDir::Write(cache + "/a.unr", "a");
    TempDir::Write(cache + "/Sys.DLL", "new dll");
    TempDir::Write(cache + "/Last.INT", "new int");
    TempDir::Write(cache + "/cache.ini", "[Cache]\r\n");
    TempDir::Write(cache + "/system/sys.dll", "old dll");
    TempDir::Write(cache + "/system/last.int", "locked");
    ASSERT_EQ(::chmod((cache + "/system/last.int").c_str(), 0444), 0);

    RealDisk disk;
    CacheFolderState state(disk);
    RecordingWindow window;
    state.ChooseFolder(cache);
    try {
        cmdSort_Click(state, window);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kPermissionDenied);
    }
    EXPECT_EQ(TempDir::Read(cache + "/Maps/a.unr"), "a");
    EXPECT_EQ(TempDir::Read(cache + "/system/Sys.DLL"), "new dll");
    EXPECT_FALSE(std::filesystem::exists(cache + "/system/sys.dll"));
    EXPECT_FALSE(std::filesystem::exists(cache + "/System"));
    EXPECT_EQ(TempDir::Read(cache + "/Last.INT"), "new int");
    EXPECT_EQ(TempDir::Read(cache + "/system/last.int"), "locked");
    EXPECT_TRUE(std::filesystem::exists(cache + "/cache.ini"));
    EXPECT_TRUE(window.messages.empty());

    // Once the old file may go, the sort finishes.
    ASSERT_EQ(::chmod((cache + "/system/last.int").c_str(), 0644), 0);
    cmdSort_Click(state, window);
    EXPECT_EQ(TempDir::Read(cache + "/system/Last.INT"), "new int");
    EXPECT_FALSE(std::filesystem::exists(cache + "/system/last.int"));
    EXPECT_EQ(window.messages.size(), 1u);
}

}  // namespace
}  // namespace tcc
