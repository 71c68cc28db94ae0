// Questions on the system's thread pool, waited for on events. No detached
// std::thread: under the MinGW posix thread model it is a winpthreads thread,
// and winpthreads can free the record of a detached thread that has ended but
// is still on its way out, hand it to a new thread, and then free it again
// from the old thread's exit; the new thread then spins for ever on its first
// thread_local (a promise's set_value takes one) or reads freed memory.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>

#include "core/answers.h"

namespace tcc {

namespace {

class PoolRun : public QuestionRun {
public:
    explicit PoolRun(std::function<std::string()> question)
        : question_(std::move(question)), ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~PoolRun() override {
        if (ended_) CloseHandle(ended_);
    }
    // Signalled once the answer is set; the event orders the answer's writes
    // before any reader that saw it signalled.
    HANDLE ended() const { return ended_; }
    bool Ended() override { return !ended_ || WaitForSingleObject(ended_, 0) == WAIT_OBJECT_0; }
    void Run() {
        try {
            answer_ = question_();
        } catch (...) {
            answer_.clear();
        }
        question_ = nullptr;
        SetEvent(ended_);
    }

private:
    std::function<std::string()> question_;
    HANDLE ended_;  // null when it could not be made: the run has then ended, unanswered
};

// The pool's callback owns a reference to its run until it has answered.
void CALLBACK RunOnPool(PTP_CALLBACK_INSTANCE, void* context) {
    std::unique_ptr<std::shared_ptr<PoolRun>> run(static_cast<std::shared_ptr<PoolRun>*>(context));
    (*run)->Run();
}

}  // namespace

std::shared_ptr<QuestionRun> StartQuestion(std::function<std::string()> question) {
    auto run = std::make_shared<PoolRun>(std::move(question));
    if (!run->ended()) return run;
    auto held = std::make_unique<std::shared_ptr<PoolRun>>(run);
    if (TrySubmitThreadpoolCallback(RunOnPool, held.get(), nullptr)) held.release();
    else SetEvent(run->ended());  // not started: ended, unanswered
    return run;
}

bool WaitForQuestions(const std::vector<std::shared_ptr<QuestionRun>>& runs, std::chrono::milliseconds limit) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limit.count());
    std::vector<HANDLE> events;
    for (const auto& run : runs)
        if (!run->Ended()) events.push_back(static_cast<PoolRun&>(*run).ended());
    // At most MAXIMUM_WAIT_OBJECTS handles at a time, all within the one limit.
    for (std::size_t first = 0; first < events.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1)) : 0;
        const DWORD count = static_cast<DWORD>(std::min<std::size_t>(events.size() - first, MAXIMUM_WAIT_OBJECTS));
        const DWORD result = WaitForMultipleObjects(count, events.data() + first, TRUE, left);
        if (result >= WAIT_OBJECT_0 + count) return false;
    }
    return true;
}

}  // namespace tcc
