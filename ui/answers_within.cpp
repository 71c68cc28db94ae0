#include <future>
#include <memory>
#include <thread>

#include "ui/volumes.h"

namespace tcc {

bool AnswersWithin(std::function<bool()> check, std::chrono::milliseconds limit) {
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> future = answer->get_future();
    std::thread([answer, check = std::move(check)] {
        try {
            answer->set_value(check());
        } catch (...) {
            answer->set_value(false);
        }
    }).detach();
    return future.wait_for(limit) == std::future_status::ready && future.get();
}

}  // namespace tcc
