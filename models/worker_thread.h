#pragma once

// A device's worker thread: started with a body that loops until its stop
// token is raised, stopped by raising it and waiting within a bound. Every
// wait inside a body is bounded (a 1 ms pause, a read with a timeout), so a
// stopped thread ends within its bound and is always joined, never killed.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace halvorn {

class WorkerThread {
public:
    using Body = std::function<void(std::stop_token)>;

    WorkerThread() = default;
    ~WorkerThread() { Stop(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Stops a running instance first. `exitTrace` is traced when the body
    // returns; `bound` is how long Stop waits before it reports a timeout.
    void Start(Body body, std::string exitTrace,
               std::chrono::milliseconds bound = std::chrono::milliseconds(1000));
    // Raises the stop token, waits up to the bound, traces the outcome and
    // joins. True when the body ended within the bound.
    bool Stop();
    bool Running() const;
    // CPU time the thread has used so far, in nanoseconds; 0 when not running.
    int64_t CpuTimeNs();

    // The body's pause between passes: false when the stop token was raised.
    static bool Pause(std::stop_token stop, std::chrono::milliseconds period);

private:
    std::jthread thread_;
    std::chrono::milliseconds bound_{1000};
    mutable std::mutex mutex_;
    std::condition_variable done_;
    bool running_ = false;
};

}  // namespace halvorn
