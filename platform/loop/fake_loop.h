#pragma once

// A deterministic MessageLoop for tests: nothing happens until the test runs
// the pending messages or moves the clock. The thread that made it is the
// loop thread; other threads may Post and Send.

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/loop/message_loop.h"

namespace halvorn::loop {

class FakeLoop : public MessageLoop {
public:
    FakeLoop();
    ~FakeLoop() override;  // ends pending sends

    TargetId AddTarget(MessageTarget* target) override;
    void RemoveTarget(TargetId id) override;
    bool Post(TargetId target, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    std::optional<intptr_t> Send(TargetId target, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam, std::stop_token stop = {}) override;
    bool SetTimer(TargetId target, int id, std::chrono::milliseconds elapse) override;
    void KillTimer(TargetId target, int id) override;
    // Runs pending messages, and when idle moves the clock to the next timer,
    // until Quit. Loops with no message and no timer end at once with -1.
    int Run() override;
    void Quit(int code) override;
    bool OnLoopThread() const override;
    uint64_t NowMs() const override;

    // Handles every queued message and send (also those queued meanwhile);
    // returns how many ran.
    int RunPending();
    // Waits (real time, bounded) until a send or post arrives from another
    // thread, then runs the pending ones; false when nothing came in time.
    bool RunPendingWithin(std::chrono::milliseconds wait);
    // Moves the clock, firing due timers in time order (and the messages they cause).
    void Advance(std::chrono::milliseconds by);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace halvorn::loop
