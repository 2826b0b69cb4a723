#include "platform/loop/fake_loop.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace halvorn::loop {
namespace {

using namespace std::chrono_literals;

constexpr auto kBound = 5s;  // generous: only reached when something is broken

struct Seen {
    uint32_t message;
    uintptr_t wParam;
    uint64_t atMs;
    bool operator==(const Seen&) const = default;
};

// Records what it handles; `onMessage` may act and choose the result.
class Recorder : public MessageTarget {
public:
    explicit Recorder(FakeLoop& loop) : id(loop.AddTarget(this)), loop_(loop) {}

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        seen.push_back({message, wParam, loop_.NowMs()});
        handledOnLoopThread = handledOnLoopThread && loop_.OnLoopThread();
        return onMessage ? onMessage(message, wParam, lParam) : lParam;
    }

    const TargetId id;
    std::function<intptr_t(uint32_t, uintptr_t, intptr_t)> onMessage;
    std::vector<Seen> seen;
    bool handledOnLoopThread = true;

private:
    FakeLoop& loop_;
};

TEST(FakeLoop, PostsRunInTheOrderTheyCame) {
    FakeLoop loop;
    Recorder a(loop), b(loop);
    std::vector<TargetId> order;
    a.onMessage = b.onMessage = [&](uint32_t message, uintptr_t, intptr_t) {
        order.push_back(message == 1 || message == 3 ? a.id : b.id);
        return 0;
    };
    EXPECT_TRUE(loop.Post(a.id, 1, 0, 0));
    EXPECT_TRUE(loop.Post(b.id, 2, 0, 0));
    EXPECT_TRUE(loop.Post(a.id, 3, 0, 0));
    EXPECT_TRUE(a.seen.empty()) << "nothing runs before the test runs it";

    EXPECT_EQ(loop.RunPending(), 3);
    EXPECT_EQ(order, (std::vector<TargetId>{a.id, b.id, a.id}));
    EXPECT_EQ(a.seen, (std::vector<Seen>{{1, 0, 0}, {3, 0, 0}}));
    EXPECT_EQ(loop.RunPending(), 0);
}

TEST(FakeLoop, MessagesPostedByAHandlerRunInTheSamePass) {
    FakeLoop loop;
    Recorder r(loop);
    r.onMessage = [&](uint32_t message, uintptr_t, intptr_t) {
        if (message == 1) loop.Post(r.id, 2, 0, 0);
        return 0;
    };
    loop.Post(r.id, 1, 0, 0);
    EXPECT_EQ(loop.RunPending(), 2);
}

TEST(FakeLoop, MessagesToRemovedTargetsAreDropped) {
    FakeLoop loop;
    Recorder gone(loop), kept(loop);
    loop.Post(gone.id, 1, 0, 0);
    loop.Post(kept.id, 2, 0, 0);
    loop.RemoveTarget(gone.id);

    EXPECT_EQ(loop.RunPending(), 1);
    EXPECT_TRUE(gone.seen.empty());
    EXPECT_EQ(kept.seen.size(), 1u);
    EXPECT_FALSE(loop.Post(gone.id, 3, 0, 0));
    EXPECT_EQ(loop.Send(gone.id, 3, 0, 0), std::nullopt);
    EXPECT_FALSE(loop.Post(0, 3, 0, 0));
    EXPECT_EQ(loop.AddTarget(nullptr), 0u);
}

TEST(FakeLoop, SendOnTheLoopThreadRunsAtOnce) {
    FakeLoop loop;
    Recorder r(loop);
    loop.Post(r.id, 1, 0, 0);
    r.onMessage = [](uint32_t, uintptr_t wParam, intptr_t lParam) {
        return static_cast<intptr_t>(wParam) * lParam;
    };
    EXPECT_EQ(loop.Send(r.id, 2, 6, 7), 42);
    // The send ran ahead of the queued post, which still waits.
    EXPECT_EQ(r.seen, (std::vector<Seen>{{2, 6, 0}}));
    EXPECT_EQ(loop.RunPending(), 1);
}

TEST(FakeLoop, WorkerSendIsAnsweredOnTheLoopThread) {
    FakeLoop loop;
    Recorder r(loop);
    r.onMessage = [](uint32_t, uintptr_t wParam, intptr_t) {
        return static_cast<intptr_t>(wParam) + 1000;
    };
    std::optional<intptr_t> answer;
    std::jthread worker([&] { answer = loop.Send(r.id, 3090, 5, 0); });

    ASSERT_TRUE(loop.RunPendingWithin(kBound));
    worker.join();
    EXPECT_EQ(answer, 1005);
    EXPECT_EQ(r.seen, (std::vector<Seen>{{3090, 5, 0}}));
    EXPECT_TRUE(r.handledOnLoopThread);
}

TEST(FakeLoop, WorkerSendToATargetRemovedMeanwhileGetsNone) {
    FakeLoop loop;
    Recorder r(loop);
    std::optional<intptr_t> answer = 1;
    std::jthread worker([&] { answer = loop.Send(r.id, 1, 0, 9); });
    ASSERT_TRUE(loop.WaitPending(kBound));
    loop.RemoveTarget(r.id);
    EXPECT_EQ(loop.RunPending(), 0);
    worker.join();
    EXPECT_EQ(answer, std::nullopt);
}

TEST(FakeLoop, StoppedSendReturnsNoneAndIsNeverHandled) {
    FakeLoop loop;
    Recorder r(loop);
    std::optional<intptr_t> answer = 1;
    std::jthread worker([&](std::stop_token stop) { answer = loop.Send(r.id, 1, 0, 9, stop); });
    ASSERT_TRUE(loop.WaitPending(kBound));

    worker.request_stop();
    worker.join();
    EXPECT_EQ(answer, std::nullopt);
    EXPECT_EQ(loop.RunPending(), 0);
    EXPECT_TRUE(r.seen.empty());

    // A token raised before the call does not even queue the message.
    std::stop_source raised;
    raised.request_stop();
    std::jthread late([&] { answer = loop.Send(r.id, 1, 0, 9, raised.get_token()); });
    late.join();
    EXPECT_EQ(answer, std::nullopt);
    EXPECT_FALSE(loop.RunPendingWithin(0ms));
}

TEST(FakeLoop, DestructionReleasesAWaitingSender) {
    auto loop = std::make_unique<FakeLoop>();
    Recorder r(*loop);
    FakeLoop* sentTo = loop.get();
    std::optional<intptr_t> answer = 1;
    std::jthread worker([&] { answer = sentTo->Send(r.id, 1, 0, 9); });
    ASSERT_TRUE(loop->WaitPending(kBound));
    loop.reset();
    worker.join();
    EXPECT_EQ(answer, std::nullopt);
    EXPECT_TRUE(r.seen.empty());
}

TEST(FakeLoop, TimersFireInTimeOrderOnTheFakeClock) {
    FakeLoop loop;
    Recorder r(loop);
    ASSERT_TRUE(loop.SetTimer(r.id, 1, 10ms));
    ASSERT_TRUE(loop.SetTimer(r.id, 2, 15ms));
    loop.Advance(35ms);
    EXPECT_EQ(loop.NowMs(), 35u);
    // At 30 both are due: the one set first goes first.
    EXPECT_EQ(r.seen, (std::vector<Seen>{{kTimerMessage, 1, 10},
                                         {kTimerMessage, 2, 15},
                                         {kTimerMessage, 1, 20},
                                         {kTimerMessage, 1, 30},
                                         {kTimerMessage, 2, 30}}));
    r.seen.clear();
    loop.Advance(5ms);  // the 10 ms timer's next expiry is still 40
    EXPECT_EQ(r.seen, (std::vector<Seen>{{kTimerMessage, 1, 40}}));
}

TEST(FakeLoop, SettingATimerAgainRestartsIt) {
    FakeLoop loop;
    Recorder r(loop);
    loop.SetTimer(r.id, 1, 10ms);
    loop.Advance(6ms);
    loop.SetTimer(r.id, 1, 10ms);
    loop.Advance(9ms);
    EXPECT_TRUE(r.seen.empty());
    loop.Advance(1ms);
    EXPECT_EQ(r.seen, (std::vector<Seen>{{kTimerMessage, 1, 16}}));
}

TEST(FakeLoop, HandlersChangeTimersDuringAdvance) {
    FakeLoop loop;
    Recorder r(loop);
    r.onMessage = [&](uint32_t message, uintptr_t id, intptr_t) {
        if (message == kTimerMessage && id == 1 && r.seen.size() == 2) {
            loop.KillTimer(r.id, 1);
            loop.SetTimer(r.id, 2, 5ms);  // due within the same Advance
            loop.Post(r.id, 99, 0, 0);    // runs before the next timer
        }
        if (message == kTimerMessage && id == 2) loop.KillTimer(r.id, 2);  // one-shot
        return 0;
    };
    loop.SetTimer(r.id, 1, 10ms);
    loop.Advance(100ms);
    EXPECT_EQ(
        r.seen,
        (std::vector<Seen>{
            {kTimerMessage, 1, 10}, {kTimerMessage, 1, 20}, {99, 0, 20}, {kTimerMessage, 2, 25}}));
}

TEST(FakeLoop, TimersBelongToTheirTarget) {
    FakeLoop loop;
    Recorder a(loop), b(loop);
    loop.SetTimer(a.id, 1, 10ms);
    loop.SetTimer(b.id, 1, 10ms);
    EXPECT_FALSE(loop.SetTimer(12345, 1, 10ms));
    loop.KillTimer(a.id, 1);
    loop.Advance(10ms);
    EXPECT_TRUE(a.seen.empty());
    EXPECT_EQ(b.seen.size(), 1u);

    loop.RemoveTarget(b.id);
    loop.Advance(50ms);
    EXPECT_EQ(b.seen.size(), 1u);

    bool setFromWorker = true;
    std::jthread([&] { setFromWorker = loop.SetTimer(a.id, 1, 10ms); }).join();
    EXPECT_FALSE(setFromWorker);
}

TEST(FakeLoop, ZeroPeriodTimerStillMovesTheClock) {
    FakeLoop loop;
    Recorder r(loop);
    loop.SetTimer(r.id, 1, 0ms);
    loop.Advance(3ms);
    EXPECT_EQ(r.seen.size(), 3u);
}

TEST(FakeLoop, RunHandlesTimersUntilQuit) {
    FakeLoop loop;
    Recorder r(loop);
    r.onMessage = [&](uint32_t message, uintptr_t, intptr_t) {
        if (message == kTimerMessage && r.seen.size() == 3) loop.Quit(7);
        return 0;
    };
    loop.SetTimer(r.id, 1, 10ms);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(loop.NowMs(), 30u);
    EXPECT_EQ(r.seen.size(), 3u);
}

TEST(FakeLoop, RunWaitsForOtherThreads) {
    FakeLoop loop;
    Recorder r(loop);
    r.onMessage = [&](uint32_t message, uintptr_t, intptr_t lParam) {
        if (message == 2) loop.Quit(5);
        return lParam;
    };
    std::optional<intptr_t> answer;
    std::jthread worker([&] {
        answer = loop.Send(r.id, 1, 0, 77);
        loop.Post(r.id, 2, 0, 0);
    });
    EXPECT_EQ(loop.Run(), 5);
    worker.join();
    EXPECT_EQ(answer, 77);
    EXPECT_TRUE(r.handledOnLoopThread);
}

TEST(FakeLoop, RunGivesUpInsteadOfHanging) {
    FakeLoop loop;
    Recorder r(loop);
    loop.SetIdleLimit(20ms);
    EXPECT_EQ(loop.Run(), -1) << "nothing to do";

    // A timer that nobody stops: Run stops after an hour of fake time.
    loop.SetTimer(r.id, 1, 1s);
    EXPECT_EQ(loop.Run(), -1);
    EXPECT_EQ(r.seen.size(), 3600u);

    // A Quit while nothing runs ends the next Run at once.
    loop.Quit(3);
    EXPECT_EQ(loop.Run(), 3);
}

}  // namespace
}  // namespace halvorn::loop
