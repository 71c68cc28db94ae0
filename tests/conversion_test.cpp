#include <gtest/gtest.h>

#include "core/cache_conversion.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/temp_dir.h"

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
        {"Map.unr", "c1"}, {"Readme.unk", "c2"}, {"A3.uxx", "c3"}, {"one.unk", "c4"},
        {".hidden", "c5"}, {"dot.", "c6"},       {"Last.utx", "c7"}};
    for (const auto& [name, content] : expected) EXPECT_EQ(At(name), content) << name;
    EXPECT_EQ(disk.Files().size(), 8u);
    EXPECT_TRUE(state.cacheConverted);
    EXPECT_EQ(window.Count("files"), 6);
    EXPECT_EQ(window.notes.size(), 7u);  // each record once
    EXPECT_EQ(window.notes[2].reason, "no real name");
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.events[2], "label:2");  // the notice, before any record
}

TEST_F(Conversion, PassesOverRecordsItCannotOrNeedNotTakeUp) {
    // Blank and "="-less lines, a missing cached file, targets taken in any
    // letter case, a cached file whose name differs from its key in case, and
    // two real names that differ only in case: the first one is given.
    Index("header\n\nnoequals\nGONE=Gone.unr\nB=Taken.unr\nC=taken.UNR\nd=Free.unr\nE=Twin.unr\nF=TWIN.unr\n\n");
    for (const char* name : {"B.uxx", "C.uxx", "E.uxx", "F.uxx"}) File(name);
    File("D.UXX", "d");
    File("Taken.unr", "old");
    Convert();
    EXPECT_EQ(At("Taken.unr"), "old");
    EXPECT_TRUE(Has("B.uxx") && Has("C.uxx") && Has("F.uxx") && !Has("E.uxx"));
    EXPECT_EQ(At("Free.unr"), "d");
    EXPECT_EQ(At("Twin.unr"), "E.uxx");
    EXPECT_EQ(window.Count("files"), 2);
    std::vector<std::string> skipped;
    for (const FileAction& note : window.notes) {
        if (note.kind == FileAction::Kind::Skip) skipped.push_back(note.from + ": " + note.reason);
    }
    EXPECT_EQ(skipped, (std::vector<std::string>{"GONE: cached file missing", "B: target taken", "C: target taken",
                                                 "F: target taken"}));
    EXPECT_TRUE(state.cacheConverted);
}

TEST_F(Conversion, EmptyOrHeaderOnlyIndexRenamesNothingButCounts) {
    for (const std::string content : {"", "[Cache]\r\n"}) {
        Index(content);
        File("A.uxx");
        Convert();
        EXPECT_TRUE(state.cacheConverted && window.Shown(Label::Warning) && Has("A.uxx"));
        EXPECT_EQ(window.Count("files"), 0);
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

// Others change the folder between the listing and the renames: a target
// that appears is never replaced (the record is passed over), a cached file
// that vanishes ends the command with its path.
TEST_F(Conversion, ChangesBehindItsBackAreMetByTheDisk) {
    Index("[Cache]\r\nA=Map.unr\r\nB=Next.unr\r\n");
    File("A.uxx", "cached");
    File("B.uxx");
    disk.SetHook([this](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename" && !Has("Map.unr")) File("Map.unr", "newcomer");
        if (op.kind == "rename" && op.path == kDir + "/B.uxx" && Has("B.uxx")) disk.Remove(op.path);
        return std::nullopt;
    });
    try {
        Convert();
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.number(), kFileNotFound);
        EXPECT_EQ(e.path(), kDir + "/B.uxx");
    }
    EXPECT_EQ(At("Map.unr"), "newcomer");
    EXPECT_EQ(At("A.uxx"), "cached");
    EXPECT_EQ(window.notes.size(), 1u);
    EXPECT_EQ(window.notes[0].reason, "target taken");
}

// A name too long for the file system names nothing: the record is passed
// over, whichever comes first.
TEST(ConversionOnDisk, NamesTooLongToHoldArePassedOverInAnyOrder) {
    const std::string tooLong(300, 'n'), records[] = {"L=" + tooLong + "\n" + tooLong + "=x.unr\n", "A=Map.unr\n"};
    for (const bool longFirst : {true, false}) {
        TempDir dir;
        TempDir::Write(dir / "Cache/cache.ini", "[Cache]\n" + records[!longFirst] + records[longFirst]);
        TempDir::Write(dir / "Cache/L.uxx", "l");
        TempDir::Write(dir / "Cache/A.uxx", "a");
        RealDisk disk;
        CacheFolderState state(disk);
        RecordingWindow window;
        state.ChooseFolder(dir / "Cache");
        EXPECT_FALSE(state.fs().FileExists(dir / ("Cache/" + tooLong)));
        EXPECT_EQ(ErrorOf([&] { cmdGetCache_Click(state, window); }), 0);
        EXPECT_TRUE(TempDir::Read(dir / "Cache/Map.unr") == "a" && TempDir::Read(dir / "Cache/L.uxx") == "l");
        EXPECT_EQ(window.notes.size(), 3u);
    }
}

}  // namespace
}  // namespace tcc
