#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/reporter.h"

namespace tcc {

// A reporter for tests: records what the commands show, in order, and answers
// questions from a script. An OK box needs no script; an unscripted question
// throws, so a question nobody expected cannot go unnoticed.
class RecordingReporter : public Reporter {
public:
    struct Message {
        std::string text, title;
        Buttons buttons;
        Icon icon;
        bool operator==(const Message&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Message& m) { return out << m.title << ": " << m.text; }
    };
    std::vector<Message> messages;
    std::deque<Answer> answers;
    std::vector<std::string> events;  // in order: "message:<text>", "label:<n>", "files", "dirs"
    std::vector<FileAction> notes;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;  // done, total

    Answer MessageBox(const std::string& text, const std::string& title, Buttons buttons, Icon icon) override {
        messages.push_back({text, title, buttons, icon});
        events.push_back("message:" + text);
        if (buttons == Buttons::Ok && (answers.empty() || answers.front() != Answer::Ok)) return Answer::Ok;
        if (answers.empty()) throw std::logic_error("unexpected question: " + text);
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowLabel(Label label) override { events.push_back("label:" + std::to_string(static_cast<int>(label))); }
    void RefreshFileList() override { events.push_back("files"); }
    void RefreshDirList() override { events.push_back("dirs"); }
    void Note(const FileAction& action) override { notes.push_back(action); }
    void Progress(std::uint64_t done, std::uint64_t total) override { progress.emplace_back(done, total); }

    long Count(const std::string& event) const { return std::count(events.begin(), events.end(), event); }
    bool Shown(Label label) const { return Count("label:" + std::to_string(static_cast<int>(label))) > 0; }
};

}  // namespace tcc
