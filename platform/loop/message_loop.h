#pragma once

// The program's message loop seam: messages posted to targets from any
// thread, blocking sends from worker threads, and timers, all handled on the
// loop thread. The program runs the Qt loop (platform/loop/qt); tests run
// FakeLoop, deterministic with a clock they move by hand.

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>

namespace halvorn::loop {

inline constexpr uint32_t kTimerMessage = 0x0113;  // wParam: the timer's id

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

using TargetId = uint64_t;  // 0 is no target

class MessageLoop {
public:
    virtual ~MessageLoop() = default;

    // A target gets an id for its life; messages to a removed id are dropped.
    // Add and Remove are for the loop thread.
    virtual TargetId AddTarget(MessageTarget* target) = 0;
    virtual void RemoveTarget(TargetId id) = 0;

    // Queues a message; any thread. Posts and sends are handled in the order
    // they came. False when the target is unknown or the loop has ended.
    virtual bool Post(TargetId target, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

    // Runs the target's handler on the loop thread and returns its result.
    // On the loop thread itself the handler runs at once. From another
    // thread the caller waits until it has run, the stop token is raised, or
    // the loop ends: the last two give none, and the message is not handled
    // (a stop raised while the handler already runs also releases the caller
    // at once with none). A target unknown or gone by then gives none.
    virtual std::optional<intptr_t> Send(TargetId target, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam, std::stop_token stop = {}) = 0;

    // Repeating timer: kTimerMessage with `id` every `elapse` until killed;
    // setting an id again restarts it. Periods under 1 ms count as 1 ms.
    // Loop thread only; false for an unknown target or another thread.
    virtual bool SetTimer(TargetId target, int id, std::chrono::milliseconds elapse) = 0;
    virtual void KillTimer(TargetId target, int id) = 0;

    // Runs until Quit; returns Quit's code.
    virtual int Run() = 0;
    virtual void Quit(int code) = 0;

    virtual bool OnLoopThread() const = 0;
    // Milliseconds of the loop's clock (steady; fake in tests).
    virtual uint64_t NowMs() const = 0;
};

}  // namespace halvorn::loop
