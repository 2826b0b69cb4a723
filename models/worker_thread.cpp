#include "models/worker_thread.h"

#include <pthread.h>

#include <condition_variable>
#include <ctime>

#include "platform/trace/trace.h"

namespace halvorn {

void WorkerThread::Start(Body body, std::string exitTrace, std::chrono::milliseconds bound) {
    Stop();
    bound_ = bound;
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    thread_ = std::jthread(
        [this, body = std::move(body), exitTrace = std::move(exitTrace)](std::stop_token stop) {
            body(stop);
            Trace(exitTrace);
            std::lock_guard lock(mutex_);
            running_ = false;
            done_.notify_all();
        });
}

bool WorkerThread::Stop() {
    if (!thread_.joinable()) return true;
    thread_.request_stop();
    bool ended;
    {
        std::unique_lock lock(mutex_);
        ended = done_.wait_for(lock, bound_, [this] { return !running_; });
    }
    Trace(ended ? "线程退出：：对象处于激发状态\n" : "线程退出：：对象处于非激发状态，超时\n");
    // Bodies only wait with bounds, so the join that follows a timeout is short.
    thread_.join();
    return ended;
}

bool WorkerThread::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

int64_t WorkerThread::CpuTimeNs() {
    if (!Running()) return 0;
    clockid_t clock;
    timespec used{};
    if (pthread_getcpuclockid(thread_.native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0) {
        return 0;
    }
    return static_cast<int64_t>(used.tv_sec) * 1'000'000'000 + used.tv_nsec;
}

bool WorkerThread::Pause(std::stop_token stop, std::chrono::milliseconds period) {
    if (stop.stop_requested()) return false;
    // Short pauses sleep plainly: a wait that can be woken costs a stop
    // callback each time, and the light threads pause every millisecond.
    if (period <= std::chrono::milliseconds(2)) {
        std::this_thread::sleep_for(period);
        return !stop.stop_requested();
    }
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, period, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace halvorn
