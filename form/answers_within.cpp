#include <future>
#include <memory>
#include <thread>

#include "form/volumes.h"

namespace tcc {

namespace {

// Starts question on a detached thread; the future holds its answer once it
// has one. The promise lives as long as the thread needs it.
template <typename T>
std::future<T> Ask(std::function<T()> question, T failed) {
    auto answer = std::make_shared<std::promise<T>>();
    std::future<T> future = answer->get_future();
    std::thread([answer, question = std::move(question), failed = std::move(failed)] {
        try {
            answer->set_value(question());
        } catch (...) {
            answer->set_value(failed);
        }
    }).detach();
    return future;
}

}  // namespace

bool AnswersWithin(std::function<bool()> check, std::chrono::milliseconds limit) {
    std::future<bool> future = Ask(std::move(check), false);
    return future.wait_for(limit) == std::future_status::ready && future.get();
}

std::vector<std::string> AnswersWithin(std::vector<std::function<std::string()>> questions,
                                       std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<std::future<std::string>> futures;
    for (auto& question : questions) futures.push_back(Ask(std::move(question), std::string()));
    std::vector<std::string> answers;
    for (auto& future : futures)
        answers.push_back(future.wait_until(deadline) == std::future_status::ready ? future.get() : std::string());
    return answers;
}

}  // namespace tcc
