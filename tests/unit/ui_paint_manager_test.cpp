#include "platform/ui/paint_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/container.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;
namespace act = testing;

// Records the events it gets and, as a button does, says "click" when a
// press is released over it.
class CProbeUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "Probe"; }
    void DoEvent(UIEvent& event) override {
        events.push_back(event.type);
        if (event.type == UIEventType::Timer) timerIds.push_back(event.timerId);
        if (event.type == UIEventType::Char) typed.push_back(event.character);
        if (event.type == UIEventType::KeyDown) keys.push_back(event.key);
        if (event.type == UIEventType::ButtonUp && GetPos().Contains(event.point) && Activate()) {
            Notify(notify_type::kClick);
            return;
        }
        CControlUI::DoEvent(event);
    }
    int Count(UIEventType type) const {
        return static_cast<int>(std::count(events.begin(), events.end(), type));
    }
    std::vector<UIEventType> events;
    std::vector<int> timerIds;
    std::u32string typed;
    std::vector<uint32_t> keys;
};

// Scrolls its children by up to 200 pixels.
class CScrollBoxUI : public CContainerUI {
public:
    std::string_view GetClass() const override { return "ScrollBox"; }
    void SetPos(const Rect& rect, bool needInvalidate) override {
        SetScrollRange(200);
        CContainerUI::SetPos(rect, needInvalidate);
    }
};

struct Recorder : INotifyUI {
    Recorder(std::string tag, std::vector<std::string>& log) : tag(std::move(tag)), log(log) {}
    void Notify(TNotifyUI& msg) override {
        log.push_back(tag + ":" + msg.type + ":" + (msg.sender ? msg.sender->GetName() : ""));
        last = msg;
        if (then) then(msg);
    }
    std::string tag;
    std::vector<std::string>& log;
    TNotifyUI last;
    std::function<void(TNotifyUI&)> then;
};

std::vector<std::string> OfType(const std::vector<std::string>& log, const std::string& type) {
    std::vector<std::string> out;
    for (const std::string& line : log) {
        if (line.find(":" + type + ":") != std::string::npos) out.push_back(line);
    }
    return out;
}

struct UiTest : ::testing::Test {
    UiTest() {
        ui.context.Factory().Register("Probe", [] { return std::make_unique<CProbeUI>(); });
        ui.context.Factory().Register("ScrollBox", [] { return std::make_unique<CScrollBoxUI>(); });
        ui.manager.SetRecordNotifications(true);
    }
    CProbeUI* Probe(std::string_view name) { return ui.Find<CProbeUI>(name); }
    std::vector<std::string> Recorded(std::string_view type) {
        std::vector<std::string> out;
        for (const TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type == type) out.push_back(n.sender ? n.sender->GetName() : "");
        }
        return out;
    }
    HeadlessUi ui;
    std::vector<std::string> log;
};

constexpr const char* kRow =
    "<Container name='root'>"
    "<Container name='row' inset='0,0,400,500'><Probe name='a'/></Container>"
    "<Probe name='b' float='true' pos='500,0,600,100'/>"
    "<Probe name='c' float='true' pos='500,200,600,300'/>"
    "<Probe name='deaf' float='true' pos='500,400,600,500' keyboard='false'/>"
    "</Container>";

TEST_F(UiTest, NotificationsReachEveryNotifierInOrderThenTheSender) {
    ASSERT_NE(ui.Show(kRow), nullptr) << ui.builder.Error();
    Recorder first("A", log), second("B", log);
    ui.manager.AddNotifier(&first);
    ui.manager.AddNotifier(&second);
    ui.manager.AddNotifier(&first);  // once only
    Probe("a")->AddNotifyHandler([&](TNotifyUI& msg) { log.push_back("own:" + msg.type + ":a"); });

    ASSERT_TRUE(act::Click(*Probe("a")));
    EXPECT_EQ(OfType(log, "click"),
              (std::vector<std::string>{"A:click:a", "B:click:a", "own:click:a"}));

    log.clear();
    ui.manager.SendNotify(Probe("a"), "custom", 1, 2, /*async=*/true);
    EXPECT_TRUE(log.empty());  // not before the loop runs
    ui.loop.RunPending();
    EXPECT_EQ(log, (std::vector<std::string>{"A:custom:a", "B:custom:a", "own:custom:a"}));
    EXPECT_EQ(second.last.wParam, 1);
    EXPECT_EQ(second.last.lParam, 2);

    ui.manager.RemoveNotifier(&first);
    log.clear();
    ui.manager.SendNotify(Probe("a"), "custom");
    EXPECT_EQ(log, (std::vector<std::string>{"B:custom:a", "own:custom:a"}));
}

TEST_F(UiTest, ASenderTakenAwayMeanwhileGetsNoMoreOfItsNotifications) {
    ASSERT_NE(ui.Show(kRow), nullptr);
    Recorder first("A", log), second("B", log);
    ui.manager.AddNotifier(&first);
    ui.manager.AddNotifier(&second);
    bool ownRan = false;
    Probe("a")->AddNotifyHandler([&](TNotifyUI& msg) { ownRan |= msg.type == "click"; });

    // Posted, then the sender goes: the notification is dropped.
    ui.manager.SendNotify(Probe("a"), "later", 0, 0, true);
    auto* row = ui.Find<CContainerUI>("row");
    CControlUI* a = Probe("a");
    // The first notifier empties the row on the click, and drops the other
    // notifier: the clicked control is still running its own handling.
    first.then = [&](TNotifyUI& msg) {
        if (msg.type != "click") return;
        row->RemoveAll();
        ui.manager.RemoveNotifier(&second);
    };
    ASSERT_TRUE(act::Click(*a));
    EXPECT_EQ(OfType(log, "click"), (std::vector<std::string>{"A:click:a"}));
    EXPECT_FALSE(ownRan);
    EXPECT_EQ(ui.Find("a"), nullptr);
    EXPECT_EQ(row->GetCount(), 0);

    log.clear();
    ui.loop.RunPending();
    EXPECT_TRUE(OfType(log, "later").empty());
}

TEST_F(UiTest, FocusMovesWithKillFocusBeforeSetFocus) {
    ASSERT_NE(ui.Show(kRow), nullptr);
    ASSERT_TRUE(act::Click(*Probe("b")));
    EXPECT_EQ(ui.manager.GetFocus(), Probe("b"));
    ASSERT_TRUE(act::Click(*Probe("c")));
    std::vector<std::string> focus;
    for (const TNotifyUI& n : ui.manager.Recorded()) {
        if (n.type == "killfocus" || n.type == "setfocus")
            focus.push_back(n.type + ":" + n.sender->GetName());
    }
    EXPECT_EQ(focus, (std::vector<std::string>{"setfocus:b", "killfocus:b", "setfocus:c"}));
    EXPECT_FALSE(Probe("b")->IsFocused());
    EXPECT_TRUE(Probe("c")->IsFocused());
    EXPECT_EQ(Probe("b")->Count(UIEventType::KillFocus), 1);

    // A control that takes no keys clears the focus when pressed.
    ASSERT_TRUE(act::Click(*Probe("deaf")));
    EXPECT_EQ(ui.manager.GetFocus(), nullptr);
    EXPECT_EQ(Recorded("killfocus"), (std::vector<std::string>{"b", "c"}));

    // Moving away, hiding and disabling all end the focus with "killfocus".
    Probe("a")->SetFocus();
    EXPECT_TRUE(act::Leave(*Probe("a")));
    Probe("b")->SetFocus();
    Probe("b")->SetVisible(false);
    Probe("c")->SetFocus();
    Probe("c")->SetEnabled(false);
    EXPECT_EQ(Recorded("killfocus"), (std::vector<std::string>{"b", "c", "a", "b", "c"}));
    EXPECT_EQ(ui.manager.GetFocus(), nullptr);
    Probe("c")->SetFocus();  // disabled: refused
    EXPECT_EQ(ui.manager.GetFocus(), nullptr);
}

TEST_F(UiTest, AKillFocusHandlerMayMoveTheFocusItself) {
    ASSERT_NE(ui.Show(kRow), nullptr);
    Recorder recorder("A", log);
    ui.manager.AddNotifier(&recorder);
    recorder.then = [&](TNotifyUI& msg) {
        if (msg.type == "killfocus" && msg.sender == Probe("a")) Probe("c")->SetFocus();
    };
    Probe("a")->SetFocus();
    Probe("b")->SetFocus();
    EXPECT_EQ(ui.manager.GetFocus(), Probe("c"));
    EXPECT_EQ(Recorded("setfocus"), (std::vector<std::string>{"a", "c"}));
}

TEST_F(UiTest, ThePointerTracksHotControlsAndTheHeldButtonStaysWithThePressedOne) {
    ASSERT_NE(ui.Show(kRow), nullptr);
    CProbeUI* b = Probe("b");
    CProbeUI* c = Probe("c");
    ASSERT_TRUE(act::MoveTo(*b));
    EXPECT_TRUE(b->IsHot());
    ASSERT_TRUE(act::MoveTo(*c));
    EXPECT_FALSE(b->IsHot());
    EXPECT_EQ(ui.manager.GetHot(), c);
    EXPECT_EQ(Recorded("msenter"), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(Recorded("msleave"), (std::vector<std::string>{"b"}));

    // Pressed on b, moved to c, released there: b gets the moves and the
    // release, and nobody clicks.
    act::Send(ui.manager, HostInput::Kind::ButtonDown, act::CentreOf(*b));
    EXPECT_EQ(ui.manager.GetPushed(), b);
    EXPECT_TRUE(ui.host.captured);
    const int movesBefore = b->Count(UIEventType::MouseMove);
    act::Send(ui.manager, HostInput::Kind::MouseMove, act::CentreOf(*c));
    EXPECT_EQ(b->Count(UIEventType::MouseMove), movesBefore + 1);
    act::Send(ui.manager, HostInput::Kind::ButtonUp, act::CentreOf(*c));
    EXPECT_EQ(b->Count(UIEventType::ButtonUp), 1);
    EXPECT_EQ(c->Count(UIEventType::ButtonUp), 0);
    EXPECT_FALSE(ui.host.captured);
    EXPECT_TRUE(Recorded("click").empty());

    ASSERT_TRUE(act::DoubleClick(*c));
    EXPECT_EQ(c->Count(UIEventType::DoubleClick), 1);
    EXPECT_EQ(Recorded("click"), (std::vector<std::string>{"c", "c"}));

    c->SetAttribute("menu", "true");
    ASSERT_TRUE(act::RightClick(*c));
    EXPECT_EQ(c->Count(UIEventType::RightButtonUp), 1);
    EXPECT_EQ(c->Count(UIEventType::ContextMenu), 1);
    EXPECT_EQ(Recorded("menu"), (std::vector<std::string>{"c"}));

    act::Send(ui.manager, HostInput::Kind::MouseLeaveWindow);
    EXPECT_EQ(ui.manager.GetHot(), nullptr);
    EXPECT_FALSE(c->IsHot());
}

TEST_F(UiTest, KeysAndCharactersGoToTheFocusedControl) {
    ASSERT_NE(ui.Show(kRow), nullptr);
    act::PressKey(ui.manager, key::kReturn);  // nobody focused: nobody gets it
    EXPECT_EQ(Probe("b")->Count(UIEventType::KeyDown), 0);
    ASSERT_TRUE(act::TypeText(*Probe("b"), "h\xC3\xA9\xE2\x82\xAC"));
    act::PressKey(ui.manager, key::kReturn);
    EXPECT_EQ(Probe("b")->typed, U"h\u00E9\u20AC");
    EXPECT_EQ(Probe("b")->keys, (std::vector<uint32_t>{key::kReturn}));
    EXPECT_TRUE(Probe("c")->typed.empty());
}

TEST_F(UiTest, TheWheelBubblesToTheFirstAncestorThatScrolls) {
    ASSERT_NE(ui.Show("<Container name='root'><ScrollBox name='box'><Container name='mid'>"
                      "<Probe name='p'/></Container></ScrollBox></Container>"),
              nullptr);
    auto* box = ui.Find<CContainerUI>("box");
    CProbeUI* p = Probe("p");
    ASSERT_TRUE(act::Wheel(*p, -120));
    EXPECT_EQ(p->Count(UIEventType::ScrollWheel), 1);
    EXPECT_EQ(box->GetScrollPos(), 40);
    EXPECT_EQ(p->GetPos().top, -40);  // the content moved up
    for (int i = 0; i < 10; ++i) act::Wheel(*ui.Find("mid"), -120);
    EXPECT_EQ(box->GetScrollPos(), 200);  // not past the range
    act::Wheel(*box, 1200);
    EXPECT_EQ(box->GetScrollPos(), 0);
}

TEST_F(UiTest, TimersRunOnTheLoopUntilKilledOrTheControlLeaves) {
    ASSERT_NE(ui.Show(kRow), nullptr);
    CProbeUI* b = Probe("b");
    CProbeUI* c = Probe("c");
    EXPECT_TRUE(b->SetTimer(7, 100));
    EXPECT_TRUE(c->SetTimer(7, 30));  // the same id on another control
    act::Wait(ui.loop, 250);
    EXPECT_EQ(b->timerIds, (std::vector<int>{7, 7}));
    EXPECT_EQ(c->timerIds.size(), 8u);
    EXPECT_EQ(Recorded("timer").size(), 10u);  // "timer" with the id in wParam
    EXPECT_EQ(ui.manager.Recorded().back().wParam, 7);

    EXPECT_TRUE(b->SetTimer(7, 100));  // again: restarted, not doubled
    act::Wait(ui.loop, 150);
    EXPECT_EQ(b->timerIds.size(), 3u);
    b->KillTimer(7);
    act::Wait(ui.loop, 500);
    EXPECT_EQ(b->timerIds.size(), 3u);

    ui.Find<CContainerUI>("root")->Remove(c);  // its timer goes with it
    act::Wait(ui.loop, 500);

    CControlUI detached;
    EXPECT_FALSE(detached.SetTimer(1, 10));
}

TEST_F(UiTest, ATooltipShowsOnceThePointerRests) {
    ASSERT_NE(ui.Show(kRow), nullptr);
    Probe("b")->SetToolTip("Profile");
    ASSERT_TRUE(act::MoveTo(*Probe("b")));
    act::Wait(ui.loop, CPaintManagerUI::kToolTipDelayMs - 10);
    act::Send(ui.manager, HostInput::Kind::MouseMove,
              act::CentreOf(*Probe("b")));  // moved: wait again
    act::Wait(ui.loop, CPaintManagerUI::kToolTipDelayMs - 10);
    EXPECT_FALSE(ui.host.toolTipShown);
    act::Wait(ui.loop, 10);
    EXPECT_TRUE(ui.host.toolTipShown);
    EXPECT_EQ(ui.host.toolTip, "Profile");
    EXPECT_EQ(ui.host.toolTipAt, act::CentreOf(*Probe("b")));

    ASSERT_TRUE(act::MoveTo(*Probe("c")));  // no tooltip there
    EXPECT_FALSE(ui.host.toolTipShown);
    act::Wait(ui.loop, 2000);
    EXPECT_FALSE(ui.host.toolTipShown);
}

TEST_F(UiTest, HitTestingFindsTheTopmostLiveControlWithFloatsOverTheRest) {
    ASSERT_NE(ui.Show("<Container name='root'>"
                      "<Probe name='badge' float='true' pos='10,10,60,40'/>"
                      "<Probe name='under'/>"
                      "<Probe name='ghost' float='true' pos='10,10,60,40' mouse='false'/>"
                      "<Probe name='off' float='true' pos='100,10,150,40' enabled='false'/>"
                      "<Probe name='hidden' float='true' pos='200,10,250,40' visible='false'/>"
                      "<Probe name='low' float='true' pos='300,10,350,40'/>"
                      "<Probe name='high' float='true' pos='320,10,370,40'/>"
                      "<Container name='box' float='true' pos='400,100,500,200' mouse='false'>"
                      "<Probe name='spill' float='true' pos='50,0,150,50'/></Container>"
                      "</Container>"),
              nullptr);
    struct Case {
        Point at;
        const char* expected;
    };
    const Case cases[] = {
        {{20, 20}, "badge"},   // a float over the control declared after it
        {{120, 20}, "under"},  // disabled: the one below
        {{210, 20}, "under"},  // hidden
        {{330, 20}, "high"},   // two floats: the later one
        {{310, 20}, "low"},    {{460, 120}, "spill"},
        {{420, 120}, "under"},  // a container taking no mouse lets it through
        {{520, 120}, "under"},  // outside its container a child is clipped away
        {{900, 900}, nullptr},  // outside the window
    };
    for (const Case& c : cases) {
        CControlUI* found = ui.manager.FindControl(c.at);
        EXPECT_EQ(found ? found->GetName() : std::string("(none)"),
                  c.expected ? c.expected : "(none)")
            << c.at.x << "," << c.at.y;
    }
}

TEST_F(UiTest, NamesAreFoundInTheWindowAndWithinASubtree) {
    ASSERT_NE(
        ui.Show("<Container name='root'>"
                "<Container name='page1'><Probe name='key_1'/></Container>"
                "<Container name='page2'><Probe name='key_1'/><Probe name='key_2'/></Container>"
                "</Container>"),
        nullptr);
    auto* page1 = ui.Find<CContainerUI>("page1");
    auto* page2 = ui.Find<CContainerUI>("page2");
    EXPECT_EQ(ui.manager.FindControl("key_1"), page1->GetItemAt(0));  // the first wins
    EXPECT_EQ(page2->FindSubControl("key_1"), page2->GetItemAt(0));
    EXPECT_EQ(ui.manager.FindSubControlByName(page2, "key_1"), page2->GetItemAt(0));
    EXPECT_EQ(ui.manager.FindSubControlByName(nullptr, "key_2"), page2->GetItemAt(1));
    EXPECT_EQ(page1->FindSubControl("key_2"), nullptr);
    EXPECT_EQ(ui.manager.FindSubControlsByClass(page2, "probe").size(), 2u);
    EXPECT_EQ(ui.manager.FindSubControlsByClass(nullptr, "Container").size(), 3u);
    EXPECT_EQ(ui.manager.FindControl(""), nullptr);

    page2->GetItemAt(1)->SetName("key_9");
    EXPECT_EQ(ui.manager.FindControl("key_2"), nullptr);
    EXPECT_EQ(ui.manager.FindControl("key_9"), page2->GetItemAt(1));

    ui.Find<CContainerUI>("root")->Remove(page1);
    EXPECT_EQ(ui.manager.FindControl("key_1"), page2->GetItemAt(0));
    EXPECT_EQ(ui.manager.FindControl("page1"), nullptr);
}

TEST_F(UiTest, TheFirstLayoutSaysWindowInitAndEveryResizeWindowSize) {
    ASSERT_NE(ui.Show(kRow, {800, 600}), nullptr);
    ui.manager.SetClientSize({1000, 640});
    ui.manager.Layout();
    EXPECT_EQ(Recorded("windowinit"), (std::vector<std::string>{"root"}));
    EXPECT_EQ(Recorded("windowsize"), (std::vector<std::string>{"root", "root"}));
    const auto types = ui.RecordedTypes();
    EXPECT_LT(std::find(types.begin(), types.end(), "windowinit"),
              std::find(types.begin(), types.end(), "windowsize"));
    EXPECT_EQ(ui.manager.GetRoot()->GetPos(), (Rect{0, 0, 1000, 640}));
    EXPECT_EQ(Probe("a")->GetPos(), (Rect{0, 0, 600, 140}));  // the row's inset
}

}  // namespace
}  // namespace halvorn::ui
