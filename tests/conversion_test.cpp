#include <gtest/gtest.h>

#include "core/cache_conversion.h"
#include "tests/support/cache_fixture.h"

namespace tcc {
namespace {

class Conversion : public CacheFixture {
protected:
    void Index(const std::string& content) { File("cache.ini", content); }
    void Convert(const std::string& folder = kDir) {
        state.ChooseFolder(folder);
        cmdGetCache_Click(state, window);
    }
};

TEST_F(Conversion, RenamesEveryRecordIncludingTheLastLine) {
    Index("[Cache]\r\nA1=Map.unr\r\nA2=Readme\r\nA3=\r\nA4=one=two\r\nA5=.hidden\r\nA6=dot.\r\nA7=Last.utx");
    for (int i = 1; i <= 7; ++i) File("A" + std::to_string(i) + ".uxx", "c" + std::to_string(i));
    Convert();
    const std::map<std::string, std::string> expected = {
        {"Map.unr", "c1"}, {"Readme.unk", "c2"}, {".unk", "c3"}, {"one.unk", "c4"},
        {".hidden", "c5"}, {"dot.", "c6"},       {"Last.utx", "c7"}};
    for (const auto& [name, content] : expected) EXPECT_EQ(At(name), content) << name;
    EXPECT_EQ(disk.Files().size(), 8u);
    EXPECT_TRUE(state.cacheConverted);
    EXPECT_EQ(window.fileListRefreshes, 7);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.events[2], "label:2");  // the notice, before any record
}

TEST_F(Conversion, PassesOverRecordsItCannotOrNeedNotTakeUp) {
    // Blank and "="-less lines, a missing cached file, targets taken in any
    // letter case, and a cached file whose name differs from its key in case.
    Index("header\n\nnoequals\nGONE=Gone.unr\nB=Taken.unr\nC=taken.UNR\nd=Free.unr\n\n");
    File("B.uxx");
    File("C.uxx");
    File("D.UXX", "d");
    File("Taken.unr", "old");
    Convert();
    EXPECT_EQ(At("Taken.unr"), "old");
    EXPECT_TRUE(Has("B.uxx") && Has("C.uxx"));
    EXPECT_EQ(At("Free.unr"), "d");
    EXPECT_EQ(window.fileListRefreshes, 1);
    EXPECT_TRUE(state.cacheConverted);
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
        EXPECT_TRUE(s.cacheConverted && w.Shown(Label::Warning) && d.HasFile(kDir + "/A.uxx"));
        EXPECT_EQ(w.fileListRefreshes, 0);
    }
}

TEST_F(Conversion, ChecksTheFolderAndTheIndexFirst) {
    cmdGetCache_Click(state, window);
    EXPECT_EQ(window.messages.at(0).text, "Locate the game's Cache directory.");
    EXPECT_EQ(window.messages.at(0).title, "");

    disk.AddFile("/g/CACHE/cache.ini", "[Cache]\r\nA=b.unr\r\n");
    disk.AddFile("/g/CACHE/A.uxx");
    Convert("/g/CACHE");
    const auto& refused = window.messages.at(1);
    EXPECT_EQ(refused.text, "This is not a 'Cache' Folder");
    EXPECT_EQ(refused.title, "'Cache' folder not found");
    EXPECT_EQ(refused.icon, Icon::None);
    EXPECT_TRUE(window.Shown(Label::Folder) && window.Shown(Label::FolderName));
    EXPECT_EQ(state.cacheIndexPath, "/g/CACHE/cache.ini");

    File("A.uxx");
    Convert();
    const auto& missing = window.messages.at(2);
    EXPECT_EQ(missing.text, "'Cache.ini' is missing, Conversion cannot proceed.");
    EXPECT_EQ(missing.title, "'Cache.ini' file not found.");
    EXPECT_EQ(missing.buttons, Buttons::Ok);
    EXPECT_FALSE(state.cacheConverted || window.Shown(Label::Warning));
    EXPECT_EQ(Changes(), 0);

    File("Cache.INI", "[Cache]\r\nA=Found.unr\r\n");  // the index in other letter case
    Convert();
    EXPECT_TRUE(Has("Found.unr") && state.cacheConverted);
}

TEST_F(Conversion, ATargetThatAppearsAfterTheCheckIsNeverReplaced) {
    Index("[Cache]\r\nA=Map.unr\r\n");
    File("A.uxx", "cached");
    disk.SetHook([this](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename" && !Has("Map.unr")) File("Map.unr", "newcomer");
        return std::nullopt;
    });
    EXPECT_EQ(ErrorOf([&] { Convert(); }), kFileAlreadyExists);
    EXPECT_EQ(At("Map.unr"), "newcomer");
    EXPECT_EQ(At("A.uxx"), "cached");
}

TEST_F(Conversion, IndexesBeyondSixteenBitLineCountsConvertFully) {
    std::string index = "[Cache]\r\n";
    for (int i = 0; i < 33000; ++i) {
        index += "K" + std::to_string(i) + "=N" + std::to_string(i) + ".unr\r\n";
        File("K" + std::to_string(i) + ".uxx");
    }
    Index(index);
    Convert();
    EXPECT_TRUE(Has("N0.unr") && Has("N32999.unr"));
    EXPECT_EQ(window.fileListRefreshes, 33000);
}

}  // namespace
}  // namespace tcc
