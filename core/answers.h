#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tcc {

// A drive that does not answer within this long counts as not ready, and
// shows without its label.
constexpr std::chrono::seconds kDriveAnswerLimit{2};

// A question running on a thread of the system's, with its answer once it
// has ended. On Windows it runs on the system's thread pool and is waited for
// on an event; elsewhere on a thread of its own.
class QuestionRun {
public:
    virtual ~QuestionRun() = default;
    // Has it answered? Its answer is then Answer(): what the question
    // returned, or empty when it threw.
    virtual bool Ended() = 0;
    const std::string& Answer() const { return answer_; }

protected:
    std::string answer_;
};

// Starts question on another thread; a run that cannot start has ended at
// once, with an empty answer.
std::shared_ptr<QuestionRun> StartQuestion(std::function<std::string()> question);
// Waits at most limit, in all, for every run to end; true when they have.
bool WaitForQuestions(const std::vector<std::shared_ptr<QuestionRun>>& runs, std::chrono::milliseconds limit);

// Questions to drives (a label, whether a volume answers), asked on other
// threads so that a drive that does not answer (a network volume whose server
// went away) cannot hold the window, with at most one question in flight for
// each key: a drive is not asked again before its earlier question has
// answered, so no threads pile up behind a dead drive. Used from one thread.
// Questions still in flight when it goes end on their own; their answers are
// dropped.
class Answers {
public:
    // Starts question for key; false, asking nothing, while key's earlier
    // question is still in flight.
    bool Ask(const std::string& key, std::function<std::string()> question);
    // The answer that came for key since the last one taken; none while its
    // question is in flight, or when none was asked.
    std::optional<std::string> Take(const std::string& key);
    // Waits at most limit for key's question (every question in flight when
    // key is null); true when none of them is still in flight.
    bool Wait(std::chrono::milliseconds limit, const std::string* key = nullptr);
    // Asks check for key (or, while key's earlier question is in flight,
    // takes that one's answer instead) and waits at most limit for it; no
    // answer by then, or one that failed, counts as false.
    bool Check(const std::string& key, std::function<bool()> check, std::chrono::milliseconds limit);

private:
    std::map<std::string, std::shared_ptr<QuestionRun>> runs_;  // asked and not taken
};

}  // namespace tcc
