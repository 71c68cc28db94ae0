#pragma once

#include <gtest/gtest.h>

#include "commands/cache_state.h"
#include "tests/support/cache_check.h"
#include "tests/support/recording_window.h"

namespace tcc {

// A cache folder on an in-memory disk, the state and a recording window.
class CacheFixture : public ::testing::Test {
protected:
    static inline const std::string kDir = "/home/p/game/Cache";

    explicit CacheFixture(bool foldCase = false) : disk(foldCase), state(disk) { disk.AddFolder(kDir); }

    void File(const std::string& name, const std::string& content = "", bool readOnly = false) {
        disk.AddFile(kDir + "/" + name, content.empty() ? name : content, readOnly);
    }
    std::string At(const std::string& name) const { return disk.Content(kDir + "/" + name); }
    bool Has(const std::string& name) const { return disk.HasFile(kDir + "/" + name); }
    // A command in the folder, chosen first as the window chooses it.
    void Run(bool (*command)(CacheFolderState&, Window&), const std::string& folder = kDir) {
        state.ChooseFolder(folder);
        command(state, window);
    }

    MemoryDisk disk;
    CacheFolderState state;
    RecordingWindow window;
};

}  // namespace tcc
