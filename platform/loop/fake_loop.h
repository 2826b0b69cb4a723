#pragma once

// A deterministic MessageLoop for tests: nothing happens until the test runs
// the pending messages or moves the clock. The thread that made it is the
// loop thread; other threads may Post and Send.

#include <chrono>
#include <memory>

#include "platform/loop/message_loop.h"

namespace halvorn::loop {

class FakeLoop : public MessageLoop {
public:
    FakeLoop();
    ~FakeLoop() override;  // ends pending sends: their senders get none

    TargetId AddTarget(MessageTarget* target) override;
    void RemoveTarget(TargetId id) override;  // also kills the target's timers
    bool Post(TargetId target, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    std::optional<intptr_t> Send(TargetId target, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam, std::stop_token stop = {}) override;
    bool SetTimer(TargetId target, int id, std::chrono::milliseconds elapse) override;
    void KillTimer(TargetId target, int id) override;
    // Runs pending messages, and when idle moves the clock to the next timer,
    // until Quit. With neither messages nor timers it waits (real time) for
    // other threads; it gives up with -1 when nothing came within the idle
    // limit, or when the fake clock moved an hour without a Quit, so that a
    // test never hangs.
    int Run() override;
    // Any thread. Run returns after the message being handled; the rest stay
    // queued. A Quit while Run is not running ends the next Run at once.
    void Quit(int code) override;
    bool OnLoopThread() const override;
    uint64_t NowMs() const override;  // the fake clock, from 0

    // Handles every queued message and send (also those queued meanwhile);
    // returns how many handlers ran.
    int RunPending();
    // Waits (real time, bounded) until a send or post arrives from another
    // thread, then runs the pending ones; false when nothing came in time.
    bool RunPendingWithin(std::chrono::milliseconds wait);
    // Waits like RunPendingWithin but runs nothing.
    bool WaitPending(std::chrono::milliseconds wait);
    // Moves the clock, firing due timers in time order (and the messages they cause).
    void Advance(std::chrono::milliseconds by);
    // How long an idle Run waits for other threads (10 s unless set).
    void SetIdleLimit(std::chrono::milliseconds limit);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace halvorn::loop
