#include <gtest/gtest.h>

#include "core/file_system.h"
#include "core/utf16.h"
#include "tests/support/memory_disk.h"

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

}  // namespace
}  // namespace tcc
