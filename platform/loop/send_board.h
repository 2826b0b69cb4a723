#pragma once

// Where worker threads wait for the answers to the messages they sent to the
// loop thread. The loop and every waiting sender share the board, so a sender
// is released safely even while the loop itself is being destroyed.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

namespace halvorn::loop {

class SendBoard {
public:
    // One sent message; its fields are the board's, guarded by its mutex.
    struct Ticket {
        enum class State { kQueued, kRunning, kAnswered, kWithdrawn };
        State state = State::kQueued;
        std::optional<intptr_t> result;
    };

    // A ticket for a new send; null while the board is closed.
    std::shared_ptr<Ticket> Open();

    // Loop thread, before running the handler: false when the sender gave up,
    // and the message must then not be handled.
    bool Claim(Ticket& ticket);
    // Loop thread: the handler's result, or none when the target was gone.
    void Answer(Ticket& ticket, std::optional<intptr_t> result);

    // Sender: waits until the ticket is answered, the stop token is raised or
    // the board closes. A message not yet started is withdrawn; one whose
    // handler already runs releases the sender at once with none too, so a
    // stop never waits for the loop.
    std::optional<intptr_t> Wait(Ticket& ticket, std::stop_token stop);

    // Releases every waiting sender with none; Open gives null until Reopen.
    void Close();
    void Reopen();

    // How many senders are in Wait.
    int Waiting() const;

private:
    mutable std::mutex mutex_;
    int waiting_ = 0;
    std::condition_variable changed_;
    bool closed_ = false;
};

}  // namespace halvorn::loop
