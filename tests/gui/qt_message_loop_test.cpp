#include "platform/loop/qt/qt_message_loop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <future>
#include <optional>
#include <thread>

namespace halvorn::loop {
namespace {

using namespace std::chrono_literals;

constexpr auto kBound = 10s;  // only reached when something is broken
constexpr int kSafetyTimer = 999;
constexpr int kSafetyCode = -99;

// One application for the whole executable, as in the program.
QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "qt_message_loop_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Handles messages on the loop thread; a Run that nothing ends is ended by
// a safety timer so that no test hangs.
class Target : public MessageTarget {
public:
    explicit Target(QtMessageLoop& loop) : loop_(loop), id(loop.AddTarget(this)) {
        loop.SetTimer(id, kSafetyTimer, kBound);
    }

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        onLoopThread = onLoopThread && loop_.OnLoopThread();
        if (message == kTimerMessage && wParam == kSafetyTimer) {
            loop_.Quit(kSafetyCode);
            return 0;
        }
        ++handled;
        return onMessage ? onMessage(message, wParam, lParam) : 0;
    }

private:
    QtMessageLoop& loop_;

public:
    const TargetId id;
    std::function<intptr_t(uint32_t, uintptr_t, intptr_t)> onMessage;
    int handled = 0;
    bool onLoopThread = true;
};

class QtMessageLoopTest : public ::testing::Test {
protected:
    QtMessageLoopTest() { App(); }
};

TEST_F(QtMessageLoopTest, WorkersPostAndSendWhileRunRuns) {
    QtMessageLoop loop;
    Target t(loop);
    t.onMessage = [&](uint32_t message, uintptr_t wParam, intptr_t) -> intptr_t {
        if (message == 2) loop.Quit(7);
        return static_cast<intptr_t>(wParam) * 2;
    };
    std::optional<intptr_t> answer;
    // Started before Run: its send waits for the loop to run.
    std::jthread worker([&](std::stop_token stop) {
        answer = loop.Send(t.id, 1, 21, 0, stop);
        loop.Post(t.id, 2, 0, 0);
    });
    EXPECT_EQ(loop.Run(), 7);
    worker.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(t.handled, 2);
    EXPECT_TRUE(t.onLoopThread);
}

TEST_F(QtMessageLoopTest, QuitFromAWorkerEndsRunWithItsCode) {
    QtMessageLoop loop;
    Target t(loop);
    std::jthread worker([&] { loop.Quit(12); });
    EXPECT_EQ(loop.Run(), 12);
}

TEST_F(QtMessageLoopTest, TimersFireUntilKilledAndRestartReplaces) {
    QtMessageLoop loop;
    Target t(loop);
    int fast = 0;
    t.onMessage = [&](uint32_t message, uintptr_t id, intptr_t) -> intptr_t {
        if (message != kTimerMessage) return 0;
        if (id == 2) ADD_FAILURE() << "the restarted timer fired at its old period";
        if (id == 1 && ++fast == 3) {
            loop.KillTimer(t.id, 1);
            loop.SetTimer(t.id, 3, 30ms);  // ends the run later, after any stray tick
        }
        if (id == 3) loop.Quit(4);
        return 0;
    };
    ASSERT_TRUE(loop.SetTimer(t.id, 1, 2ms));
    ASSERT_TRUE(loop.SetTimer(t.id, 2, 1ms));
    ASSERT_TRUE(loop.SetTimer(t.id, 2, kBound));
    EXPECT_FALSE(loop.SetTimer(12345, 1, 1ms));

    const uint64_t start = loop.NowMs();
    EXPECT_EQ(loop.Run(), 4);
    EXPECT_EQ(fast, 3);
    EXPECT_GE(loop.NowMs(), start);
}

TEST_F(QtMessageLoopTest, SendOnTheLoopThreadRunsAtOnce) {
    QtMessageLoop loop;
    Target t(loop);
    t.onMessage = [](uint32_t, uintptr_t wParam, intptr_t lParam) {
        return static_cast<intptr_t>(wParam) + lParam;
    };
    EXPECT_EQ(loop.Send(t.id, 1, 40, 2), 42);
    loop.RemoveTarget(t.id);
    EXPECT_EQ(loop.Send(t.id, 1, 40, 2), std::nullopt);
    EXPECT_FALSE(loop.Post(t.id, 1, 0, 0));
}

// Waits (bounded) until a worker is blocked in Send.
bool WaitUntilSending(const QtMessageLoop& loop) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (loop.SendsWaiting() == 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST_F(QtMessageLoopTest, StoppedSendReturnsNoneAndIsNeverHandled) {
    QtMessageLoop loop;
    Target t(loop);
    t.onMessage = [&](uint32_t message, uintptr_t, intptr_t) -> intptr_t {
        if (message == 1) ADD_FAILURE() << "a withdrawn send was handled";
        if (message == 2) loop.Quit(0);
        return 0;
    };
    std::optional<intptr_t> answer = 1;
    std::jthread worker([&](std::stop_token stop) { answer = loop.Send(t.id, 1, 0, 0, stop); });
    ASSERT_TRUE(WaitUntilSending(loop));
    worker.request_stop();
    worker.join();
    EXPECT_EQ(answer, std::nullopt);

    // The withdrawn event is still queued ahead of this post.
    loop.Post(t.id, 2, 0, 0);
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(t.handled, 1);
}

TEST_F(QtMessageLoopTest, DestructionReleasesAWaitingSender) {
    auto loop = std::make_unique<QtMessageLoop>();
    Target t(*loop);
    QtMessageLoop* sentTo = loop.get();
    std::promise<std::optional<intptr_t>> answer;
    std::jthread worker([&] { answer.set_value(sentTo->Send(t.id, 1, 0, 0)); });
    ASSERT_TRUE(WaitUntilSending(*loop));
    loop.reset();
    auto result = answer.get_future();
    ASSERT_EQ(result.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(result.get(), std::nullopt);
    EXPECT_EQ(t.handled, 0);
}

TEST_F(QtMessageLoopTest, AfterRunEndsSendsGetNoneAtOnce) {
    QtMessageLoop loop;
    Target t(loop);
    t.onMessage = [&](uint32_t, uintptr_t, intptr_t) -> intptr_t {
        loop.Quit(0);
        return 0;
    };
    loop.Post(t.id, 1, 0, 0);
    ASSERT_EQ(loop.Run(), 0);

    std::promise<std::optional<intptr_t>> answer;
    std::jthread worker([&] { answer.set_value(loop.Send(t.id, 2, 0, 0)); });
    auto result = answer.get_future();
    ASSERT_EQ(result.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(result.get(), std::nullopt);
    EXPECT_EQ(t.handled, 1);
}

}  // namespace
}  // namespace halvorn::loop
