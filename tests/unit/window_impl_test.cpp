#include "platform/ui/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/loop/fake_loop.h"
#include "platform/ui/headless_window_system.h"
#include "platform/ui/tray_icon.h"
#include "platform/ui/ui_context.h"
#include "tests/support/profile_test_files.h"

namespace halvorn::ui {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kCloseWith7 = window_message::kUser + 1;
constexpr uint32_t kTrayCallback = window_message::kUser + 2;

class TestWindow : public WindowImplBase {
public:
    TestWindow(UiContext& context, loop::FakeLoop& loop, IWindowSystem& system,
               std::string skin = "XML_TEST")
        : WindowImplBase(context, loop, system), skin_(std::move(skin)) {}

    std::string GetWindowClassName() const override { return "TestWnd"; }
    std::string GetSkinFile() const override { return skin_; }
    void InitWindow() override { events.push_back("init"); }
    void Notify(TNotifyUI& msg) override {
        events.push_back(msg.type);
        WindowImplBase::Notify(msg);
    }
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override {
        messages.push_back({message, wParam, lParam});
        handled = false;
        if (message == kCloseWith7) {
            Close(7);
            handled = true;
        } else if (message == window_message::kClose && keepOnClose) {
            ShowWindow(false);
            handled = true;
        }
        return 0;
    }
    void OnTimer(int id) override { timers.push_back(id); }
    void OnFinalMessage() override { events.push_back("final"); }

    bool Received(uint32_t message) const {
        return std::any_of(messages.begin(), messages.end(),
                           [message](const Message& m) { return m.message == message; });
    }

    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::vector<std::string> events;
    std::vector<Message> messages;
    std::vector<int> timers;
    bool keepOnClose = false;

private:
    std::string skin_;
};

class WindowImplTest : public ::testing::Test {
protected:
    WindowImplTest() : system_(loop_) {
        test::WriteText(skin_ / "res.xml",
                        R"(<Res><Item name="XML_TEST" file="XML\test.xml"/></Res>)");
        std::filesystem::create_directories(skin_ / "XML");
        test::WriteText(skin_ / "XML" / "test.xml",
                        R"(<Window size="300,200" caption="0,0,0,30">
                             <Container name="root"><Control name="body"/></Container>
                           </Window>)");
        context_.SetSkinFolder(skin_.Path());
        context_.Resources().Load(skin_ / "res.xml");
    }

    test::TempDir skin_;
    UiContext context_;
    loop::FakeLoop loop_;
    HeadlessWindowSystem system_;
};

TEST_F(WindowImplTest, CreateRunsInitWindowBeforeTheFirstLayoutAtTheScaledInitSize) {
    struct Case {
        int dpi;
        Size client;
    };
    for (const Case& c : {Case{96, {300, 200}}, Case{144, {450, 300}}}) {
        SCOPED_TRACE(c.dpi);
        context_.SetDpi(c.dpi);
        TestWindow window(context_, loop_, system_);
        ASSERT_TRUE(window.Create(nullptr, "Test title")) << window.CreateError();
        ASSERT_GE(window.events.size(), 2u);
        EXPECT_EQ(window.events[0], "init");
        EXPECT_EQ(window.events[1], "windowinit");
        HeadlessFrame* frame = system_.FrameOf(window);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->ClientSize(), c.client);
        EXPECT_EQ(window.PaintManager().GetClientSize(), c.client);
        EXPECT_EQ(frame->Title(), "Test title");
        EXPECT_FALSE(frame->IsShown()) << "a new window waits to be shown";
        EXPECT_TRUE(window.IsFrameless()) << "the layout names a caption";
        EXPECT_FALSE(window.Create(nullptr, "again")) << "a window is made once";
    }
}

TEST_F(WindowImplTest, CreateFailsWithTheReasonWhenTheLayoutIsMissing) {
    TestWindow window(context_, loop_, system_, "XML\\missing.xml");
    EXPECT_FALSE(window.Create(nullptr, "x"));
    EXPECT_NE(window.CreateError().find("missing.xml"), std::string::npos) << window.CreateError();
    EXPECT_TRUE(system_.Frames().empty());
    EXPECT_TRUE(window.events.empty());
    EXPECT_FALSE(window.PostMessage(window_message::kUser));
    EXPECT_EQ(window.ShowModal(), -1);
}

TEST_F(WindowImplTest, CloseDestroysAModelessWindowAndDropsWhatComesAfter) {
    TestWindow window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "x"));
    window.ShowWindow();
    ASSERT_TRUE(window.IsVisible());
    ASSERT_TRUE(window.SetTimer(3, 100));
    ASSERT_TRUE(window.PostMessage(window_message::kUser + 9));

    window.Close();
    EXPECT_TRUE(window.IsDestroyed());
    EXPECT_FALSE(window.IsVisible());
    EXPECT_TRUE(window.Received(window_message::kDestroy));
    EXPECT_EQ(window.events.back(), "final");
    EXPECT_TRUE(system_.FrameOf(window)->IsDestroyed());

    loop_.RunPending();
    loop_.Advance(500ms);
    EXPECT_FALSE(window.Received(window_message::kUser + 9)) << "posted before, handled after";
    EXPECT_TRUE(window.timers.empty());
    EXPECT_FALSE(window.PostMessage(window_message::kUser));
    window.Close();  // a second close does nothing
    EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "final"), 1);
}

TEST_F(WindowImplTest, ShowModalRunsUntilCloseAndReturnsItsResult) {
    TestWindow owner(context_, loop_, system_);
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    TestWindow dialog(context_, loop_, system_);
    ASSERT_TRUE(dialog.Create(&owner, "dialog"));
    EXPECT_EQ(system_.FrameOf(dialog)->Owner(), system_.FrameOf(owner));

    bool shownDuringRun = false;
    system_.SetModalScript([&](HeadlessFrame& frame) {
        shownDuringRun = frame.IsShown() && dialog.IsModal();
        // The user's answer arrives through the loop, as a click would.
        frame.Window().PostMessage(kCloseWith7);
    });
    EXPECT_EQ(dialog.ShowModal(), 7);
    EXPECT_TRUE(shownDuringRun);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_TRUE(dialog.IsDestroyed()) << "a modal window ends with its run";
    const std::vector<std::string>& log = system_.FrameOf(dialog)->Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "endmodal 7"), log.end());
    EXPECT_EQ(log.back(), "destroy");
    EXPECT_FALSE(owner.IsDestroyed());
}

TEST_F(WindowImplTest, AModalRunNothingEndsReturnsOnceNothingIsLeftToRun) {
    TestWindow dialog(context_, loop_, system_);
    ASSERT_TRUE(dialog.Create(nullptr, "dialog"));
    EXPECT_EQ(dialog.ShowModal(), -1);
    EXPECT_TRUE(dialog.IsDestroyed());
}

TEST_F(WindowImplTest, TimersReachOnTimerAndOtherMessagesTheCustomHandler) {
    TestWindow window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "x"));
    ASSERT_TRUE(window.SetTimer(1032, 10));
    loop_.Advance(25ms);
    window.KillTimer(1032);
    loop_.Advance(100ms);
    EXPECT_EQ(window.timers, (std::vector<int>{1032, 1032}));
    EXPECT_FALSE(window.Received(loop::kTimerMessage));

    EXPECT_TRUE(window.PostMessage(window_message::kUser + 5, 1, 2));
    EXPECT_FALSE(window.Received(window_message::kUser + 5)) << "posts wait for the loop";
    loop_.RunPending();
    EXPECT_TRUE(window.Received(window_message::kUser + 5));
    EXPECT_EQ(window.SendMessage(window_message::kUser + 6), 0);
    EXPECT_TRUE(window.Received(window_message::kUser + 6))
        << "a send on the loop thread runs at once";
}

TEST_F(WindowImplTest, TheFramesCloseRequestClosesUnlessTheWindowTakesIt) {
    TestWindow plain(context_, loop_, system_);
    ASSERT_TRUE(plain.Create(nullptr, "plain"));
    plain.HandleMessage(window_message::kClose, 0, 0);
    EXPECT_TRUE(plain.IsDestroyed());

    TestWindow tray(context_, loop_, system_);
    tray.keepOnClose = true;
    ASSERT_TRUE(tray.Create(nullptr, "tray"));
    tray.ShowWindow();
    tray.HandleMessage(window_message::kClose, 0, 0);
    EXPECT_FALSE(tray.IsDestroyed());
    EXPECT_FALSE(tray.IsVisible());
}

TEST_F(WindowImplTest, TrayClicksArriveAsTheCallbackMessageWithTheIconId) {
    TestWindow window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "x"));
    std::unique_ptr<ITrayIcon> icon = system_.CreateTrayIcon(
        loop_, window.Id(), {"tray.png", "Halvorn Device", kTrayCallback, 107});
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->ToolTip(), "Halvorn Device");
    ASSERT_EQ(system_.TrayIcons().size(), 1u);
    EXPECT_TRUE(system_.TrayIcons()[0]->Click(tray_event::kLeftButtonUp));
    EXPECT_TRUE(system_.TrayIcons()[0]->Click(tray_event::kRightButtonUp));
    loop_.RunPending();
    std::vector<std::pair<uintptr_t, intptr_t>> seen;
    for (const auto& m : window.messages) {
        if (m.message == kTrayCallback) seen.emplace_back(m.wParam, m.lParam);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<uintptr_t, intptr_t>>{{107, 514}, {107, 517}}));
    icon.reset();
    EXPECT_TRUE(system_.TrayIcons().empty());
}

}  // namespace
}  // namespace halvorn::ui
