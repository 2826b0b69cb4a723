#pragma once

// The program's message loop over the Qt event loop. A QCoreApplication (or
// QApplication) must exist for the loop's whole life, and the loop must be
// made on the application's thread: that thread is the loop thread. Posts
// and sends travel as Qt events to an object living there; timers are Qt
// timers; the clock is a steady one started with the loop.

#include <memory>

#include "platform/loop/message_loop.h"

namespace halvorn::loop {

class QtMessageLoop : public MessageLoop {
public:
    QtMessageLoop();
    ~QtMessageLoop() override;  // ends pending sends: their senders get none
    QtMessageLoop(const QtMessageLoop&) = delete;
    QtMessageLoop& operator=(const QtMessageLoop&) = delete;

    TargetId AddTarget(MessageTarget* target) override;
    void RemoveTarget(TargetId id) override;  // also kills the target's timers
    bool Post(TargetId target, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    // Sends from other threads wait for Run (also before it first starts).
    // When Run returns, the senders still waiting get none, and until Run is
    // called again new sends get none at once: nobody would answer them.
    std::optional<intptr_t> Send(TargetId target, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam, std::stop_token stop = {}) override;
    bool SetTimer(TargetId target, int id, std::chrono::milliseconds elapse) override;
    void KillTimer(TargetId target, int id) override;
    // QCoreApplication::exec on the loop thread; -1 without an application
    // or on another thread.
    int Run() override;
    // Any thread. A Quit while Run is not running ends the next Run (from
    // another thread, after the messages queued before it).
    void Quit(int code) override;
    bool OnLoopThread() const override;
    uint64_t NowMs() const override;

    // How many threads wait in Send now.
    int SendsWaiting() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace halvorn::loop
