#include <gtest/gtest.h>

#include "core/file_error.h"
#include "core/file_system.h"
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

}  // namespace
}  // namespace tcc
