#include "platform/loop/qt/qt_message_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimerEvent>

#include <algorithm>
#include <limits>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/loop/send_board.h"

namespace halvorn::loop {

namespace {

using TimerKey = std::pair<TargetId, int>;

QEvent::Type MessageEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type QuitEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// A posted or sent message on its way to the loop thread.
class MessageEvent : public QEvent {
public:
    MessageEvent(TargetId target, uint32_t message, uintptr_t wParam, intptr_t lParam,
                 std::shared_ptr<SendBoard::Ticket> send)
        : QEvent(MessageEventType()),
          target(target),
          message(message),
          wParam(wParam),
          lParam(lParam),
          send(std::move(send)) {}

    const TargetId target;
    const uint32_t message;
    const uintptr_t wParam;
    const intptr_t lParam;
    const std::shared_ptr<SendBoard::Ticket> send;  // null for a post
};

class QuitEvent : public QEvent {
public:
    explicit QuitEvent(int code) : QEvent(QuitEventType()), code(code) {}
    const int code;
};

}  // namespace

struct QtMessageLoop::Impl {
    // Lives on the loop thread; Qt delivers the loop's events and timers to it.
    class Dispatcher : public QObject {
    public:
        explicit Dispatcher(Impl& loop) : loop_(loop) {}

        bool event(QEvent* e) override {
            // Events from other threads were posted under the loop's
            // mutex; Qt's own queue lock orders them too, but
            // ThreadSanitizer cannot see it in an uninstrumented Qt.
            { std::lock_guard lock(loop_.mutex); }
            if (e->type() == MessageEventType()) {
                loop_.Dispatch(static_cast<MessageEvent&>(*e));
                return true;
            }
            if (e->type() == QuitEventType()) {
                loop_.QuitHere(static_cast<QuitEvent&>(*e).code);
                return true;
            }
            return QObject::event(e);
        }

    protected:
        void timerEvent(QTimerEvent* e) override { loop_.OnTimer(e->timerId()); }

    private:
        Impl& loop_;
    };

    const std::thread::id loopThread = std::this_thread::get_id();
    // Shared with the senders still waiting when the loop goes away.
    const std::shared_ptr<SendBoard> board = std::make_shared<SendBoard>();
    QElapsedTimer clock;

    // Guards what other threads read: the targets, and whether events may
    // still be posted to the dispatcher.
    mutable std::mutex mutex;
    std::map<TargetId, MessageTarget*> targets;
    TargetId nextId = 1;
    bool destroyed = false;

    // Loop thread only.
    std::map<TimerKey, int> timerIds;  // (target, id) -> Qt timer id
    std::map<int, TimerKey> timerKeys;
    bool running = false;
    bool quitPending = false;
    int quitCode = 0;

    std::unique_ptr<Dispatcher> dispatcher = std::make_unique<Dispatcher>(*this);

    Impl() { clock.start(); }

    MessageTarget* Find(TargetId id) const {
        std::lock_guard lock(mutex);
        auto it = targets.find(id);
        return it == targets.end() ? nullptr : it->second;
    }

    // Under the mutex, so that the dispatcher cannot go away meanwhile.
    bool PostEvent(std::unique_ptr<QEvent> event, TargetId target) {
        std::lock_guard lock(mutex);
        if (destroyed || (target != 0 && !targets.contains(target))) return false;
        QCoreApplication::postEvent(dispatcher.get(), event.release());  // Qt owns it now
        return true;
    }

    void Dispatch(const MessageEvent& e) {
        MessageTarget* target = Find(e.target);
        if (!e.send) {
            if (target != nullptr) target->HandleMessage(e.message, e.wParam, e.lParam);
            return;
        }
        if (target == nullptr) {
            board->Answer(*e.send, std::nullopt);
        } else if (board->Claim(*e.send)) {
            board->Answer(*e.send, target->HandleMessage(e.message, e.wParam, e.lParam));
        }
    }

    void OnTimer(int qtId) {
        auto it = timerKeys.find(qtId);
        if (it == timerKeys.end()) return;
        const TimerKey key = it->second;
        if (MessageTarget* target = Find(key.first)) {
            target->HandleMessage(kTimerMessage, static_cast<uintptr_t>(key.second), 0);
        }
    }

    void Kill(const TimerKey& key) {
        auto it = timerIds.find(key);
        if (it == timerIds.end()) return;
        dispatcher->killTimer(it->second);
        timerKeys.erase(it->second);
        timerIds.erase(it);
    }

    void QuitHere(int code) {
        if (running) {
            QCoreApplication::exit(code);
        } else {
            quitPending = true;
            quitCode = code;
        }
    }
};

QtMessageLoop::QtMessageLoop() : impl_(std::make_unique<Impl>()) {}

QtMessageLoop::~QtMessageLoop() {
    impl_->board->Close();
    {
        std::lock_guard lock(impl_->mutex);
        impl_->destroyed = true;
    }
    // Its timers and the events still queued for it go with it.
    impl_->dispatcher.reset();
}

TargetId QtMessageLoop::AddTarget(MessageTarget* target) {
    if (target == nullptr) return 0;
    std::lock_guard lock(impl_->mutex);
    const TargetId id = impl_->nextId++;
    impl_->targets.emplace(id, target);
    return id;
}

void QtMessageLoop::RemoveTarget(TargetId id) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->targets.erase(id);
    }
    auto it = impl_->timerIds.lower_bound({id, std::numeric_limits<int>::min()});
    while (it != impl_->timerIds.end() && it->first.first == id) {
        const TimerKey key = (it++)->first;
        impl_->Kill(key);
    }
}

bool QtMessageLoop::Post(TargetId target, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (target == 0) return false;
    return impl_->PostEvent(
        std::make_unique<MessageEvent>(target, message, wParam, lParam, nullptr), target);
}

std::optional<intptr_t> QtMessageLoop::Send(TargetId target, uint32_t message, uintptr_t wParam,
                                            intptr_t lParam, std::stop_token stop) {
    if (OnLoopThread()) {
        MessageTarget* handler = impl_->Find(target);
        if (handler == nullptr) return std::nullopt;
        return handler->HandleMessage(message, wParam, lParam);
    }
    if (target == 0 || stop.stop_requested()) return std::nullopt;
    // Once posted, the sender touches only the board: the loop may be
    // destroyed while it waits.
    const std::shared_ptr<SendBoard> board = impl_->board;
    std::shared_ptr<SendBoard::Ticket> ticket = board->Open();
    if (!ticket) return std::nullopt;
    if (!impl_->PostEvent(std::make_unique<MessageEvent>(target, message, wParam, lParam, ticket),
                          target)) {
        return std::nullopt;
    }
    return board->Wait(*ticket, stop);
}

bool QtMessageLoop::SetTimer(TargetId target, int id, std::chrono::milliseconds elapse) {
    if (!OnLoopThread() || impl_->Find(target) == nullptr) return false;
    const TimerKey key{target, id};
    impl_->Kill(key);
    // A precise timer: the device pages stream light frames every few ms.
    const int qtId = impl_->dispatcher->startTimer(std::max(elapse, std::chrono::milliseconds(1)),
                                                   Qt::PreciseTimer);
    if (qtId == 0) return false;
    impl_->timerIds[key] = qtId;
    impl_->timerKeys[qtId] = key;
    return true;
}

void QtMessageLoop::KillTimer(TargetId target, int id) {
    if (OnLoopThread()) impl_->Kill({target, id});
}

int QtMessageLoop::Run() {
    if (!OnLoopThread() || QCoreApplication::instance() == nullptr || impl_->running) return -1;
    if (impl_->quitPending) {
        impl_->quitPending = false;
        return impl_->quitCode;
    }
    impl_->board->Reopen();
    impl_->running = true;
    const int code = QCoreApplication::exec();
    impl_->running = false;
    impl_->board->Close();
    return code;
}

void QtMessageLoop::Quit(int code) {
    if (OnLoopThread()) {
        impl_->QuitHere(code);
    } else {
        impl_->PostEvent(std::make_unique<QuitEvent>(code), 0);
    }
}

bool QtMessageLoop::OnLoopThread() const { return std::this_thread::get_id() == impl_->loopThread; }

uint64_t QtMessageLoop::NowMs() const { return static_cast<uint64_t>(impl_->clock.elapsed()); }

int QtMessageLoop::SendsWaiting() const { return impl_->board->Waiting(); }

}  // namespace halvorn::loop
