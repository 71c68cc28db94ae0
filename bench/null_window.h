#pragma once

#include "core/window.h"

namespace tcc::bench {

// A window that shows nothing and answers every question with its first
// button, so the commands run headless.
class NullWindow : public Window {
public:
    Answer MessageBox(const std::string&, const std::string&, Buttons buttons, Icon) override {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    void ShowLabel(Label) override {}
    void RefreshFileList() override {}
    void RefreshDirList() override {}
};

}  // namespace tcc::bench
