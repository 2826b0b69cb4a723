#include "platform/loop/send_board.h"

namespace halvorn::loop {

std::shared_ptr<SendBoard::Ticket> SendBoard::Open() {
    std::lock_guard lock(mutex_);
    if (closed_) return nullptr;
    return std::make_shared<Ticket>();
}

bool SendBoard::Claim(Ticket& ticket) {
    std::lock_guard lock(mutex_);
    if (ticket.state != Ticket::State::kQueued) return false;
    ticket.state = Ticket::State::kRunning;
    return true;
}

void SendBoard::Answer(Ticket& ticket, std::optional<intptr_t> result) {
    std::lock_guard lock(mutex_);
    if (ticket.state == Ticket::State::kWithdrawn) return;
    ticket.state = Ticket::State::kAnswered;
    ticket.result = result;
    changed_.notify_all();
}

std::optional<intptr_t> SendBoard::Wait(Ticket& ticket, std::stop_token stop) {
    // The callback takes the mutex so that its wake-up cannot fall between
    // the waiter's check of the token and its sleep.
    std::stop_callback wake(stop, [this] {
        std::lock_guard lock(mutex_);
        changed_.notify_all();
    });
    std::unique_lock lock(mutex_);
    ++waiting_;
    changed_.wait(lock, [&] {
        return ticket.state == Ticket::State::kAnswered || closed_ || stop.stop_requested();
    });
    --waiting_;
    if (ticket.state == Ticket::State::kAnswered) return ticket.result;
    ticket.state = Ticket::State::kWithdrawn;
    return std::nullopt;
}

void SendBoard::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

int SendBoard::Waiting() const {
    std::lock_guard lock(mutex_);
    return waiting_;
}

void SendBoard::Reopen() {
    std::lock_guard lock(mutex_);
    closed_ = false;
}

}  // namespace halvorn::loop
