#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/window.h"

namespace tcc {

// A window for tests: records what the commands show and answers questions
// from a script. An OK box needs no script; an unscripted question fails the
// test, so a question nobody expected cannot go unnoticed.
class RecordingWindow : public Window {
public:
    struct Message {
        std::string text;
        std::string title;
        Buttons buttons;
        Icon icon;
    };

    std::vector<Message> messages;
    std::deque<Answer> answers;
    std::vector<Label> labels;
    int fileListRefreshes = 0;
    int dirListRefreshes = 0;
    // Everything in order: "message:<text>", "label:<n>", "files", "dirs".
    std::vector<std::string> events;
    std::vector<FileAction> notes;

    Answer MessageBox(const std::string& text, const std::string& title, Buttons buttons, Icon icon) override;
    void ShowLabel(Label label) override;
    void RefreshFileList() override;
    void RefreshDirList() override;
    void Note(const FileAction& action) override { notes.push_back(action); }

    bool Shown(Label label) const;
};

}  // namespace tcc
