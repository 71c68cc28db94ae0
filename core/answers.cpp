#include "core/answers.h"

namespace tcc {

bool Answers::Ask(const std::string& key, std::function<std::string()> question) {
    auto& run = runs_[key];
    if (run && !run->Ended()) return false;
    run = StartQuestion(std::move(question));
    return true;
}

std::optional<std::string> Answers::Take(const std::string& key) {
    const auto run = runs_.find(key);
    if (run == runs_.end() || !run->second->Ended()) return std::nullopt;
    std::string answer = run->second->Answer();
    runs_.erase(run);
    return answer;
}

bool Answers::Wait(std::chrono::milliseconds limit, const std::string* key) {
    std::vector<std::shared_ptr<QuestionRun>> runs;
    for (const auto& [asked, run] : runs_)
        if (!key || asked == *key) runs.push_back(run);
    return WaitForQuestions(runs, limit);
}

bool Answers::Check(const std::string& key, std::function<bool()> check, std::chrono::milliseconds limit) {
    Ask(key, [check = std::move(check)] { return check() ? std::string("yes") : std::string(); });
    Wait(limit, &key);
    const auto answer = Take(key);
    return answer && !answer->empty();
}

}  // namespace tcc
