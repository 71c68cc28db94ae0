#include "tests/support/recording_window.h"

#include <algorithm>

namespace tcc {

Answer RecordingWindow::MessageBox(const std::string& text, const std::string& title, Buttons buttons,
                                   Icon icon) {
    messages.push_back({text, title, buttons, icon});
    events.push_back("message:" + text);
    if (buttons == Buttons::Ok && (answers.empty() || answers.front() != Answer::Ok)) return Answer::Ok;
    if (answers.empty()) throw std::logic_error("unexpected question: " + text);
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

void RecordingWindow::ShowLabel(Label label) {
    labels.push_back(label);
    events.push_back("label:" + std::to_string(static_cast<int>(label)));
}

void RecordingWindow::RefreshFileList() {
    ++fileListRefreshes;
    events.push_back("files");
}

void RecordingWindow::RefreshDirList() {
    ++dirListRefreshes;
    events.push_back("dirs");
}

bool RecordingWindow::Shown(Label label) const {
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

}  // namespace tcc
