#include <gtest/gtest.h>

#include "core/cache_conversion.h"
#include "core/file_error.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"

namespace tcc {
namespace {

const std::string kDir = "/home/p/game/Cache";

class Conversion : public ::testing::Test {
protected:
    Conversion() : state(disk) { disk.AddFolder(kDir); }

    void Choose(const std::string& folder = kDir) { state.ChooseFolder(folder); }
    void Index(const std::string& content) { disk.AddFile(kDir + "/cache.ini", content); }
    void Cached(const std::string& name, const std::string& content = "data") {
        disk.AddFile(kDir + "/" + name, content);
    }
    bool Has(const std::string& name) const { return disk.HasFile(kDir + "/" + name); }
    void Convert() {
        Choose();
        cmdGetCache_Click(state, window);
    }

    MemoryDisk disk;
    CacheFolderState state;
    RecordingWindow window;
};

TEST_F(Conversion, RenamesEveryRecordIncludingTheLastLine) {
    Index("[Cache]\r\nA1=Map.unr\r\nA2=Readme\r\nA3=\r\nA4=one=two\r\nA5=.hidden\r\nA6=dot.\r\nA7=Last.utx");
    for (int i = 1; i <= 7; ++i) Cached("A" + std::to_string(i) + ".uxx", "c" + std::to_string(i));
    Convert();

    EXPECT_EQ(disk.Content(kDir + "/Map.unr"), "c1");
    EXPECT_EQ(disk.Content(kDir + "/Readme.unk"), "c2");
    EXPECT_EQ(disk.Content(kDir + "/.unk"), "c3");
    EXPECT_EQ(disk.Content(kDir + "/one.unk"), "c4");
    EXPECT_EQ(disk.Content(kDir + "/.hidden"), "c5");
    EXPECT_EQ(disk.Content(kDir + "/dot."), "c6");
    EXPECT_EQ(disk.Content(kDir + "/Last.utx"), "c7");
    EXPECT_EQ(disk.Files().size(), 8u);  // the seven and the index
    EXPECT_TRUE(state.cacheConverted);
    EXPECT_EQ(window.fileListRefreshes, 7);
    EXPECT_TRUE(window.messages.empty());
    // The notice is up before the first record is taken up.
    EXPECT_EQ(window.events[2], "label:2");
    EXPECT_EQ(state.recordFields, (std::vector<std::string>{"A7", "Last.utx"}));
}

TEST_F(Conversion, PassesOverRecordsItCannotOrNeedNotTakeUp) {
    // Blank and "="-less lines, a missing cached file, a taken target (also
    // in other letter case), and a record whose key's file differs in case.
    Index("header\n\nnoequals\nGONE=Gone.unr\nB=Taken.unr\nC=taken.UNR\nd=Free.unr\n\n");
    Cached("B.uxx", "b");
    Cached("C.uxx", "c");
    Cached("D.UXX", "d");
    Cached("Taken.unr", "old");
    Convert();

    EXPECT_EQ(disk.Content(kDir + "/Taken.unr"), "old");
    EXPECT_TRUE(Has("B.uxx"));
    EXPECT_TRUE(Has("C.uxx"));
    EXPECT_EQ(disk.Content(kDir + "/Free.unr"), "d");
    EXPECT_FALSE(Has("D.UXX"));
    EXPECT_EQ(window.fileListRefreshes, 1);
    EXPECT_TRUE(state.cacheConverted);
}

TEST_F(Conversion, RecordsReachingOutsideTheFolderTouchNothing) {
    disk.AddFolder("/home/p/game/System");
    disk.AddFile("/home/p/game/x.uxx", "outside");
    Index(std::string("[Cache]\r\n") + "K1=../System/evil.u\r\nK2=a/b.unr\r\nK3=a\\b.unr\r\n..=..\r\n" +
          "../x=free.unr\r\nK4=..\r\nK5=.\r\n" + std::string("K6=a\0b.unr\r\n", 12) +
          std::string("K\0=ok.unr\r\n", 11) + "K7=Fine.unr\r\n");
    for (const char* k : {"K1", "K2", "K3", "K4", "K5", "K6", "K7"}) Cached(std::string(k) + ".uxx");
    Cached("...uxx");
    Convert();

    EXPECT_EQ(disk.Files().size(), 10u);
    EXPECT_TRUE(Has("Fine.unr"));
    EXPECT_TRUE(disk.HasFile("/home/p/game/x.uxx"));
    for (const MemoryDisk::Op& op : disk.log()) {
        for (const std::string& p : {op.path, op.path2}) {
            if (p.empty() || op.kind == "stamp" || op.kind == "stat") continue;
            EXPECT_EQ(p.rfind(kDir, 0), 0u) << op.kind << " " << p;
        }
    }
}

TEST_F(Conversion, EmptyOrHeaderOnlyIndexRenamesNothingButCounts) {
    for (const std::string content : {"", "[Cache]\r\n"}) {
        MemoryDisk d;
        d.AddFile(kDir + "/cache.ini", content);
        d.AddFile(kDir + "/A.uxx");
        CacheFolderState s(d);
        RecordingWindow w;
        s.ChooseFolder(kDir);
        cmdGetCache_Click(s, w);
        EXPECT_TRUE(s.cacheConverted);
        EXPECT_TRUE(w.Shown(Label::Warning));
        EXPECT_EQ(w.fileListRefreshes, 0);
        EXPECT_TRUE(d.HasFile(kDir + "/A.uxx"));
    }
}

TEST_F(Conversion, ChecksTheFolderAndTheIndexFirst) {
    // Not a cache folder: only the letter case of "CACHE" differs.
    disk.AddFolder("/g/CACHE");
    disk.AddFile("/g/CACHE/cache.ini", "[Cache]\r\nA=b.unr\r\n");
    disk.AddFile("/g/CACHE/A.uxx");
    Choose("/g/CACHE");
    cmdGetCache_Click(state, window);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "This is not a 'Cache' Folder");
    EXPECT_EQ(window.messages[0].title, "'Cache' folder not found");
    EXPECT_EQ(window.messages[0].icon, Icon::None);
    EXPECT_TRUE(window.Shown(Label::Folder) && window.Shown(Label::FolderName));
    EXPECT_EQ(state.cacheIndexPath, "/g/CACHE/cache.ini");
    EXPECT_TRUE(disk.HasFile("/g/CACHE/A.uxx"));
    EXPECT_FALSE(state.cacheConverted);

    // A cache folder without an index.
    Cached("A.uxx");
    Convert();
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[1].text, "'Cache.ini' is missing, Conversion cannot proceed.");
    EXPECT_EQ(window.messages[1].title, "'Cache.ini' file not found.");
    EXPECT_EQ(window.messages[1].buttons, Buttons::Ok);
    EXPECT_FALSE(state.cacheConverted);
    EXPECT_FALSE(window.Shown(Label::Warning));

    // The index under another letter case is the index.
    disk.AddFile(kDir + "/Cache.INI", "[Cache]\r\nA=Found.unr\r\n");
    Convert();
    EXPECT_TRUE(Has("Found.unr"));
    EXPECT_TRUE(state.cacheConverted);
}

TEST_F(Conversion, WithoutAChosenFolderItAsksForOne) {
    cmdGetCache_Click(state, window);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "Locate the game's Cache directory.");
    EXPECT_EQ(window.messages[0].title, "");
    EXPECT_EQ(disk.count("rename"), 0);
}

TEST_F(Conversion, AFailedRenameEndsTheCommandAndKeepsDoneWork) {
    Index("[Cache]\r\nA=First.unr\r\nB=Second.unr\r\nC=Third.unr\r\n");
    Cached("A.uxx");
    Cached("B.uxx");
    Cached("C.uxx");
    disk.SetHook([](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename" && op.path2.ends_with("Second.unr")) return kPermissionDenied;
        return std::nullopt;
    });
    try {
        Convert();
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kPermissionDenied);
    }
    EXPECT_TRUE(Has("First.unr"));
    EXPECT_TRUE(Has("B.uxx"));
    EXPECT_TRUE(Has("C.uxx"));
    EXPECT_FALSE(state.cacheConverted);
    EXPECT_EQ(disk.openStreams(), 0);
}

TEST_F(Conversion, ATargetThatAppearsAfterTheCheckIsNeverReplaced) {
    Index("[Cache]\r\nA=Map.unr\r\n");
    Cached("A.uxx", "cached");
    disk.SetHook([this](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename" && !disk.HasFile(kDir + "/Map.unr")) disk.AddFile(kDir + "/Map.unr", "newcomer");
        return std::nullopt;
    });
    try {
        Convert();
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kFileAlreadyExists);
    }
    EXPECT_EQ(disk.Content(kDir + "/Map.unr"), "newcomer");
    EXPECT_EQ(disk.Content(kDir + "/A.uxx"), "cached");
}

TEST_F(Conversion, IndexesBeyondSixteenBitLineCountsConvertFully) {
    std::string index = "[Cache]\r\n";
    const int n = 40000;
    for (int i = 0; i < n; ++i) {
        index += "K" + std::to_string(i) + "=N" + std::to_string(i) + ".unr\r\n";
        Cached("K" + std::to_string(i) + ".uxx");
    }
    Index(index);
    Convert();
    EXPECT_TRUE(Has("N0.unr"));
    EXPECT_TRUE(Has("N39999.unr"));
    EXPECT_EQ(window.fileListRefreshes, n);
}

}  // namespace
}  // namespace tcc
