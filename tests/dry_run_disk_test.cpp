#include <gtest/gtest.h>

#include "commands/convert.h"
#include "commands/refresh.h"
#include "commands/sort.h"
#include "core/dry_run_disk.h"
#include "tests/support/cache_check.h"
#include "tests/support/recording_window.h"

namespace tcc {
namespace {

// In a cache folder that may not be written each command is refused at its
// first change, naming the folder, and the dry run foresees it.
TEST(DryRunDisk, ForeseesAFolderThatMayNotBeWritten) {
    for (auto command : {RunConvert, RunRefresh, RunSort}) {
        for (bool dry : {true, false}) {
            MemoryDisk disk;
            disk.AddFolder("/g/Cache", true);
            Lay(disk, "/g/Cache", {{"cache.ini", {model::Kind::File, "[Cache]\r\nk=Map.unr"}}, {"k.uxx", {}}});
            DryRunDisk dryRun(disk);
            CacheFolderState state(dry ? static_cast<Disk&>(dryRun) : disk);
            RecordingWindow window;
            state.cacheConverted = true;
            state.ChooseFolder("/g/Cache");
            EXPECT_EQ(ErrorText([&] { command(state, window); }), "70 Permission denied: /g/Cache") << dry;
            EXPECT_EQ(disk.Files().size(), 2u);
        }
    }
}

}  // namespace
}  // namespace tcc
