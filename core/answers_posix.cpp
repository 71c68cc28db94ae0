// Questions on threads of their own, waited for on a condition variable.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/answers.h"

namespace tcc {

namespace {

class ThreadRun : public QuestionRun {
public:
    bool Ended() override {
        std::lock_guard lock(mutex_);
        return ended_;
    }
    bool WaitUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        return ended_changed_.wait_until(lock, deadline, [this] { return ended_; });
    }
    void End(std::string answer) {
        std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
        ended_ = true;
        ended_changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_changed_;
    bool ended_ = false;
};

}  // namespace

std::shared_ptr<QuestionRun> StartQuestion(std::function<std::string()> question) {
    auto run = std::make_shared<ThreadRun>();
    try {
        // The thread holds the run: a drive that never answers keeps one
        // thread, and the run, until the program ends.
        std::thread([run, question = std::move(question)] {
            std::string answer;
            try {
                answer = question();
            } catch (...) {
            }
            run->End(std::move(answer));
        }).detach();
    } catch (...) {
        run->End({});
    }
    return run;
}

bool WaitForQuestions(const std::vector<std::shared_ptr<QuestionRun>>& runs, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool all = true;
    for (const auto& run : runs) all = static_cast<ThreadRun&>(*run).WaitUntil(deadline) && all;
    return all;
}

}  // namespace tcc
