#include "platform/loop/fake_loop.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/loop/send_board.h"

namespace halvorn::loop {

namespace {

using TimerKey = std::pair<TargetId, int>;

struct Message {
    TargetId target;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    std::shared_ptr<SendBoard::Ticket> send;  // null for a post
};

struct Timer {
    uint64_t period;
    uint64_t due;
    uint64_t order;  // ties between timers due together go in the order they were set
};

constexpr uint64_t kRunClockLimitMs = 60 * 60 * 1000;

}  // namespace

struct FakeLoop::Impl {
    const std::thread::id loopThread = std::this_thread::get_id();
    // Shared with the senders still waiting when the loop goes away.
    const std::shared_ptr<SendBoard> board = std::make_shared<SendBoard>();

    mutable std::mutex mutex;
    std::condition_variable arrived;  // a message was queued, or Quit
    std::map<TargetId, MessageTarget*> targets;
    TargetId nextId = 1;
    std::deque<Message> queue;
    std::map<TimerKey, Timer> timers;
    uint64_t timerOrder = 0;
    uint64_t now = 0;
    bool quit = false;
    int quitCode = 0;
    std::chrono::milliseconds idleLimit{10000};

    MessageTarget* Find(TargetId id) const {
        std::lock_guard lock(mutex);
        auto it = targets.find(id);
        return it == targets.end() ? nullptr : it->second;
    }

    // Handles the oldest queued message; false when there was none. `ran`
    // tells whether a handler ran (messages to removed targets and
    // withdrawn sends are dropped).
    bool RunOne(bool& ran) {
        ran = false;
        Message m;
        MessageTarget* target = nullptr;
        {
            std::lock_guard lock(mutex);
            if (queue.empty()) return false;
            m = std::move(queue.front());
            queue.pop_front();
            auto it = targets.find(m.target);
            if (it != targets.end()) target = it->second;
        }
        if (m.send) {
            if (target == nullptr) {
                board->Answer(*m.send, std::nullopt);
            } else if (board->Claim(*m.send)) {
                board->Answer(*m.send, target->HandleMessage(m.message, m.wParam, m.lParam));
                ran = true;
            }
        } else if (target != nullptr) {
            target->HandleMessage(m.message, m.wParam, m.lParam);
            ran = true;
        }
        return true;
    }

    int RunAll() {
        int count = 0;
        bool ran = false;
        while (RunOne(ran)) count += ran ? 1 : 0;
        return count;
    }

    // Moves the clock to the earliest timer due by `limit` and fires it;
    // false when none is due. The timer is rescheduled before its handler
    // runs, so a handler that kills or restarts it has the last word.
    bool FireNext(uint64_t limit) {
        TimerKey key;
        {
            std::lock_guard lock(mutex);
            auto next = timers.end();
            for (auto it = timers.begin(); it != timers.end(); ++it) {
                const Timer& t = it->second;
                if (t.due > limit) continue;
                if (next == timers.end() || t.due < next->second.due ||
                    (t.due == next->second.due && t.order < next->second.order)) {
                    next = it;
                }
            }
            if (next == timers.end()) return false;
            key = next->first;
            now = next->second.due;
            next->second.due += next->second.period;
        }
        if (MessageTarget* target = Find(key.first)) {
            target->HandleMessage(kTimerMessage, static_cast<uintptr_t>(key.second), 0);
        }
        return true;
    }

    bool WaitQueued(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds wait) {
        return arrived.wait_for(lock, wait, [this] { return !queue.empty(); });
    }
};

FakeLoop::FakeLoop() : impl_(std::make_unique<Impl>()) {}

FakeLoop::~FakeLoop() { impl_->board->Close(); }

TargetId FakeLoop::AddTarget(MessageTarget* target) {
    if (target == nullptr) return 0;
    std::lock_guard lock(impl_->mutex);
    const TargetId id = impl_->nextId++;
    impl_->targets.emplace(id, target);
    return id;
}

void FakeLoop::RemoveTarget(TargetId id) {
    std::lock_guard lock(impl_->mutex);
    impl_->targets.erase(id);
    std::erase_if(impl_->timers, [id](const auto& entry) { return entry.first.first == id; });
}

bool FakeLoop::Post(TargetId target, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->targets.contains(target)) return false;
    impl_->queue.push_back({target, message, wParam, lParam, nullptr});
    impl_->arrived.notify_all();
    return true;
}

std::optional<intptr_t> FakeLoop::Send(TargetId target, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam, std::stop_token stop) {
    if (OnLoopThread()) {
        MessageTarget* handler = impl_->Find(target);
        if (handler == nullptr) return std::nullopt;
        return handler->HandleMessage(message, wParam, lParam);
    }
    if (stop.stop_requested()) return std::nullopt;
    // Once queued, the sender touches only the board: the loop may be
    // destroyed while it waits.
    const std::shared_ptr<SendBoard> board = impl_->board;
    std::shared_ptr<SendBoard::Ticket> ticket = board->Open();
    if (!ticket) return std::nullopt;
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->targets.contains(target)) return std::nullopt;
        impl_->queue.push_back({target, message, wParam, lParam, ticket});
        impl_->arrived.notify_all();
    }
    return board->Wait(*ticket, stop);
}

bool FakeLoop::SetTimer(TargetId target, int id, std::chrono::milliseconds elapse) {
    if (!OnLoopThread()) return false;
    // A zero period would fire forever at one instant.
    const uint64_t period = elapse.count() < 1 ? 1 : static_cast<uint64_t>(elapse.count());
    std::lock_guard lock(impl_->mutex);
    if (!impl_->targets.contains(target)) return false;
    impl_->timers[{target, id}] = Timer{period, impl_->now + period, impl_->timerOrder++};
    return true;
}

void FakeLoop::KillTimer(TargetId target, int id) {
    std::lock_guard lock(impl_->mutex);
    impl_->timers.erase({target, id});
}

int FakeLoop::Run() {
    const uint64_t start = NowMs();
    for (;;) {
        {
            std::unique_lock lock(impl_->mutex);
            if (impl_->quit) {
                impl_->quit = false;
                return impl_->quitCode;
            }
            if (impl_->queue.empty() && impl_->timers.empty()) {
                const bool woke = impl_->arrived.wait_for(lock, impl_->idleLimit, [this] {
                    return !impl_->queue.empty() || impl_->quit;
                });
                if (!woke) return -1;
                continue;
            }
        }
        bool ran = false;
        if (impl_->RunOne(ran)) continue;
        if (!impl_->FireNext(start + kRunClockLimitMs)) return -1;
    }
}

void FakeLoop::Quit(int code) {
    std::lock_guard lock(impl_->mutex);
    impl_->quit = true;
    impl_->quitCode = code;
    impl_->arrived.notify_all();
}

bool FakeLoop::OnLoopThread() const { return std::this_thread::get_id() == impl_->loopThread; }

uint64_t FakeLoop::NowMs() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->now;
}

int FakeLoop::RunPending() { return impl_->RunAll(); }

bool FakeLoop::RunPendingWithin(std::chrono::milliseconds wait) {
    if (!WaitPending(wait)) return false;
    impl_->RunAll();
    return true;
}

bool FakeLoop::WaitPending(std::chrono::milliseconds wait) {
    std::unique_lock lock(impl_->mutex);
    return impl_->WaitQueued(lock, wait);
}

void FakeLoop::Advance(std::chrono::milliseconds by) {
    const uint64_t until = NowMs() + static_cast<uint64_t>(by.count() < 0 ? 0 : by.count());
    impl_->RunAll();
    while (impl_->FireNext(until)) impl_->RunAll();
    std::lock_guard lock(impl_->mutex);
    impl_->now = until;
}

void FakeLoop::SetIdleLimit(std::chrono::milliseconds limit) {
    std::lock_guard lock(impl_->mutex);
    impl_->idleLimit = limit;
}

}  // namespace halvorn::loop
