#include <future>
#include <memory>
#include <thread>

#include "core/volumes.h"

namespace tcc {

namespace {

// Starts question on a detached thread; the future holds its answer once it
// has one (failed when the question threw). The promise lives as long as the
// thread needs it. An answer that comes while the program is ending may find
// nobody to take it: it is dropped, and never set twice.
template <typename T>
std::future<T> Ask(std::function<T()> question, T failed) {
    auto answer = std::make_shared<std::promise<T>>();
    std::future<T> future = answer->get_future();
    std::thread([answer, question = std::move(question), value = std::move(failed)]() mutable {
        try {
            value = question();
        } catch (...) {
        }
        try {
            answer->set_value(std::move(value));
        } catch (...) {
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
