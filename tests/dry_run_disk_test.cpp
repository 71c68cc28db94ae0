#include <gtest/gtest.h>

#include "commands/convert.h"
#include "commands/refresh.h"
#include "commands/sort.h"
#include "core/dry_run_disk.h"
#include "tests/support/cache_check.h"
#include "tests/support/recording_window.h"

namespace tcc {
namespace {

// Each command in a cache folder that may not be written, for real and as a
// dry run: both refused at the first change, naming the folder, with the
// same lines before, and the files as they were.
TEST(DryRunDisk, ForeseesAFolderThatMayNotBeWritten) {
    for (auto command : {RunConvert, RunRefresh, RunSort}) {
        MemoryDisk disk;
        disk.AddFolder("/g/Cache", true);
        disk.AddFile("/g/Cache/cache.ini", "[Cache]\r\nk=Map.unr\r\n");
        disk.AddFile("/g/Cache/k.uxx");
        const auto files = disk.Files();
        std::vector<FileAction> notes[2];
        for (bool dry : {true, false}) {
            DryRunDisk dryRun(disk);
            CacheFolderState state(dry ? static_cast<Disk&>(dryRun) : disk);
            RecordingWindow window;
            state.cacheConverted = true;
            state.ChooseFolder("/g/Cache");
            EXPECT_EQ(ErrorText([&] { command(state, window); }), "70 Permission denied: /g/Cache");
            notes[dry] = window.notes;
        }
        EXPECT_EQ(notes[0], notes[1]);
        EXPECT_EQ(disk.Files(), files);
    }
}

}  // namespace
}  // namespace tcc
