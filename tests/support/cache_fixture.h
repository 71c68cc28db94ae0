#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/cache_state.h"
#include "core/file_error.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"

namespace tcc {

// The error a call ends with as "number text: path", or "" when it ends normally.
template <typename Call>
std::string ErrorText(Call&& call) {
    try {
        call();
    } catch (const FileError& e) {
        return std::to_string(e.number()) + " " + e.what();
    }
    return "";
}

// The error number a call ends with, or 0 when it ends normally.
template <typename Call>
int ErrorOf(Call&& call) {
    return std::atoi(ErrorText(call).c_str());
}

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

    MemoryDisk disk;
    CacheFolderState state;
    RecordingWindow window;
};

}  // namespace tcc
