#pragma once

#include <string>

#include "commands/cache_state.h"
#include "commands/reporter.h"

namespace tcc::bench {

// A reporter that shows nothing and answers every question with its first
// button, so the commands run headless.
class NullReporter : public Reporter {
public:
    Answer MessageBox(const std::string&, const std::string&, Buttons buttons, Icon) override {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    void ShowLabel(Label) override {}
    void RefreshFileList() override {}
    void RefreshDirList() override {}
};

// Runs a command on a folder through the real disk, headless; returns the
// state it leaves.
template <typename Command>
bool RunHeadless(const std::string& folder, Command command) {
    PosixDisk disk;
    CacheFolderState state(disk);
    NullReporter reporter;
    state.ChooseFolder(folder);
    command(state, reporter);
    return state.cacheConverted;
}

}  // namespace tcc::bench
