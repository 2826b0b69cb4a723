#include "windows/msg_wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/loop/fake_loop.h"
#include "platform/trace/trace.h"
#include "platform/ui/builder.h"
#include "platform/ui/headless_window_system.h"
#include "tests/support/profile_test_files.h"
#include "tests/support/ui_actions.h"

namespace halvorn {
namespace {

namespace uit = ui::testing;

std::filesystem::path RealSkin() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "skin";
}

// What the user saw while the message was up.
struct Seen {
    std::string title;
    std::string text;
    bool confirmShown = false;
    bool cancelShown = false;
    bool modalOverOwner = false;
    ui::Size size;
    std::string windowClass;
    std::string frameTitle;
};

class MsgWndTest : public ::testing::Test {
protected:
    MsgWndTest() : system_(loop_) {
        UseSkin(RealSkin());
        context_.Language().LoadFile(RealSkin() / "lang" / "lan_en.xml");
        previousSink_ = SetTraceSink([this](std::string_view text) { traces_.emplace_back(text); });
    }
    ~MsgWndTest() override { SetTraceSink(previousSink_); }

    void UseSkin(const std::filesystem::path& skin) {
        context_.SetSkinFolder(skin);
        context_.Resources().Load(skin / "res.xml");
    }

    MessageEnv Env() { return {context_, loop_, system_}; }

    // Runs `user` while the message is up, after noting what it shows.
    void WhileShown(std::function<void(CMsgWnd&, ui::HeadlessFrame&)> user) {
        system_.SetModalScript([this, user](ui::HeadlessFrame& frame) {
            auto& window = dynamic_cast<CMsgWnd&>(frame.Window());
            seen_ = Note(window, frame);
            if (user) user(window, frame);
        });
    }

    static Seen Note(CMsgWnd& window, const ui::HeadlessFrame& frame) {
        Seen seen;
        ui::CPaintManagerUI& manager = window.PaintManager();
        if (ui::CControlUI* title = manager.FindControl("MessageTitle"))
            seen.title = title->GetText();
        if (ui::CControlUI* text = manager.FindControl("MessageText")) seen.text = text->GetText();
        if (ui::CControlUI* confirm = manager.FindControl("confirm_btn")) {
            seen.confirmShown = confirm->IsVisible();
        }
        if (ui::CControlUI* cancel = manager.FindControl("cancel_btn")) {
            seen.cancelShown = cancel->IsVisible();
        }
        seen.modalOverOwner = frame.InModal() && frame.Owner() != nullptr;
        seen.size = frame.ClientSize();
        seen.windowClass = window.GetWindowClassName();
        seen.frameTitle = frame.Title();
        return seen;
    }

    static bool ClickOn(CMsgWnd& window, std::string_view name) {
        ui::CControlUI* control = window.PaintManager().FindControl(name);
        return control != nullptr && uit::Click(*control);
    }

    bool Traced(std::string_view text) const {
        return std::find(traces_.begin(), traces_.end(), text) != traces_.end();
    }

    int Ask(MessageButtons buttons = MessageButtons::kConfirmCancel) {
        return ShowMessage(Env(), nullptr, {}, "message_text_22", 96, MessageText::kKey, buttons);
    }

    ui::UiContext context_;
    loop::FakeLoop loop_;
    ui::HeadlessWindowSystem system_;
    std::optional<Seen> seen_;
    std::vector<std::string> traces_;
    TraceSink previousSink_;
};

TEST_F(MsgWndTest, TheSkinsLayoutBuildsCleanlyWithEveryControlTheWindowUses) {
    ui::CPaintManagerUI manager(context_, loop_);
    ui::CDialogBuilder builder;
    std::unique_ptr<ui::CControlUI> root = builder.Create("XML_MSG", nullptr, manager);
    ASSERT_NE(root, nullptr) << builder.Error();
    EXPECT_EQ(builder.Error(), "") << "no unknown class, no missing include";
    manager.AttachDialog(std::move(root));
    for (const char* name :
         {"MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn"}) {
        EXPECT_NE(manager.FindControl(name), nullptr) << name;
    }
    EXPECT_NE(manager.GetCaptionRect(), ui::Rect{}) << "the skin draws the title bar";
}

TEST_F(MsgWndTest, EachWayOfAnsweringGivesOneOrZero) {
    using Action = std::function<void(CMsgWnd&)>;
    auto key = [](uint32_t code) {
        return [code](CMsgWnd& w) { uit::PressKey(w.PaintManager(), code); };
    };
    struct Case {
        const char* what;
        Action action;
        int expected;
    };
    const Case cases[] = {
        {"confirm_btn", [](CMsgWnd& w) { ASSERT_TRUE(ClickOn(w, "confirm_btn")); }, 1},
        {"cancel_btn", [](CMsgWnd& w) { ASSERT_TRUE(ClickOn(w, "cancel_btn")); }, 0},
        {"closebtn", [](CMsgWnd& w) { ASSERT_TRUE(ClickOn(w, "closebtn")); }, 0},
        {"Return on the focused confirm button", key(ui::key::kReturn), 1},
        {"Escape on the focused confirm button", key(ui::key::kEscape), 0},
        {"Escape with nothing focused",
         [](CMsgWnd& w) {
             w.PaintManager().SetFocus(nullptr);
             uit::PressKey(w.PaintManager(), ui::key::kEscape);
         },
         0},
        {"Return with nothing focused",
         [](CMsgWnd& w) {
             w.PaintManager().SetFocus(nullptr);
             uit::PressKey(w.PaintManager(), ui::key::kReturn);
         },
         1},
        {"Return on the focused cancel button",
         [](CMsgWnd& w) {
             w.PaintManager().FindControl("cancel_btn")->SetFocus();
             uit::PressKey(w.PaintManager(), ui::key::kReturn);
         },
         0},
        {"the desktop closes the window",
         [](CMsgWnd& w) { w.HandleMessage(ui::window_message::kClose, 0, 0); }, 0},
        {"nobody answers", [](CMsgWnd&) {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WhileShown([&](CMsgWnd& window, ui::HeadlessFrame&) { c.action(window); });
        EXPECT_EQ(Ask(), c.expected);
        ASSERT_TRUE(seen_);
        EXPECT_TRUE(seen_->cancelShown);
        EXPECT_TRUE(system_.Frames().empty()) << "the window goes with its answer";
    }
}

TEST_F(MsgWndTest, ANoticeHasOnlyTheConfirmButtonAndTheSkinsTitle) {
    WhileShown([](CMsgWnd& window, ui::HeadlessFrame&) {
        EXPECT_FALSE(ClickOn(window, "cancel_btn")) << "a hidden button takes no click";
        ASSERT_TRUE(ClickOn(window, "confirm_btn"));
    });
    EXPECT_EQ(ShowMessage(Env(), nullptr, {}, "message_text_7", 96, MessageText::kKey,
                          MessageButtons::kConfirm),
              1);
    ASSERT_TRUE(seen_);
    EXPECT_TRUE(seen_->confirmShown);
    EXPECT_FALSE(seen_->cancelShown);
    EXPECT_EQ(seen_->title, "Message");
    EXPECT_EQ(seen_->text,
              "Writing the settings to the device failed. Check the connection and try again.");
    EXPECT_EQ(seen_->windowClass, "MsgWnd");
    EXPECT_EQ(seen_->frameTitle, "msgwnd");
}

TEST_F(MsgWndTest, AGivenTitleAndPlainTextShowAsWritten) {
    WhileShown({});
    ShowMessage(Env(), nullptr, "Halvorn", "message_text_7", 96, MessageText::kPlain,
                MessageButtons::kConfirm);
    ASSERT_TRUE(seen_);
    EXPECT_EQ(seen_->title, "Halvorn");
    EXPECT_EQ(seen_->text, "message_text_7") << "plain text is not looked up";
}

TEST_F(MsgWndTest, AKeyedTextFollowsALanguageSwitchWhileShown) {
    std::string after;
    WhileShown([&](CMsgWnd& window, ui::HeadlessFrame&) {
        ASSERT_TRUE(context_.SwitchLanguage("cn", RealSkin() / "lang" / "lan_cn.xml"));
        after = window.PaintManager().FindControl("MessageText")->GetText();
    });
    Ask();
    EXPECT_EQ(seen_->text, "Restore the default settings? Your changes will be lost.");
    EXPECT_EQ(after, "确定要恢复默认设置吗？当前的修改将会丢失。");
}

TEST_F(MsgWndTest, AMissingTextIdShowsTheIdAndIsTraced) {
    WhileShown([](CMsgWnd& window, ui::HeadlessFrame&) { ClickOn(window, "confirm_btn"); });
    EXPECT_EQ(ShowMessage(Env(), nullptr, {}, "message_text_99", 96, MessageText::kKey,
                          MessageButtons::kConfirm),
              1);
    EXPECT_EQ(seen_->text, "message_text_99");
    EXPECT_TRUE(Traced("msgwnd: no text for message_text_99"));
}

TEST_F(MsgWndTest, AFormattedMessageFillsInTheIntegerOfItsTranslation) {
    WhileShown({});
    ShowFormattedMessage(Env(), nullptr, "message_text_16", -102, 96);
    ASSERT_TRUE(seen_);
    EXPECT_EQ(seen_->text,
              "Writing to the device failed (code -102). Reconnect the device and try again.");
    EXPECT_FALSE(seen_->cancelShown);
}

TEST(FormatMessageText, FillsTheFirstIntegerPlaceholderAndNothingElse) {
    struct Case {
        const char* format;
        long long value;
        const char* expected;
    };
    const Case cases[] = {
        {"failed (%d).", 7, "failed (7)."},
        {"%i of them", -3, "-3 of them"},
        {"%d and %d", 1, "1 and %d"},
        {"100%% done, %d left", 2, "100% done, 2 left"},
        {"%s then %d", 5, "%s then 5"},  // a stray conversion reads no argument
        {"no number", 9, "no number"},
        {"ends with %", 9, "ends with %"},
        {"", 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatMessageText(c.format, c.value), c.expected) << c.format;
    }
}

TEST_F(MsgWndTest, ADpiOutsideTheScalesIsTracedAndShownAt96) {
    struct Case {
        int dpi;
        int applied;
        ui::Size size;
        bool traced;
    };
    for (const Case& c : {Case{144, 144, {600, 294}, false}, Case{100, 96, {400, 196}, true},
                          Case{72, 96, {400, 196}, true}, Case{192, 192, {800, 392}, false}}) {
        SCOPED_TRACE(c.dpi);
        context_.SetDpi(120);
        traces_.clear();
        WhileShown({});
        ShowMessage(Env(), nullptr, {}, "message_text_5", c.dpi, MessageText::kKey,
                    MessageButtons::kConfirm);
        EXPECT_EQ(context_.Dpi(), c.applied) << "every window takes the scale";
        EXPECT_EQ(seen_->size, c.size);
        EXPECT_EQ(Traced("MSG_WND DPI SET ERROR"), c.traced);
    }
}

TEST_F(MsgWndTest, ADpiChangeWhileShownRescalesAndCentresTheWindow) {
    ui::Size after;
    int dpiAfter = 0;
    WhileShown([&](CMsgWnd& window, ui::HeadlessFrame& frame) {
        window.HandleMessage(CMsgWnd::kDpiChangedMessage, 0x00900090, 0);
        after = frame.ClientSize();
        dpiAfter = window.Dpi();
        EXPECT_EQ(frame.Log().back(), "center");
    });
    Ask();
    EXPECT_EQ(dpiAfter, 144);
    EXPECT_EQ(after, (ui::Size{600, 294}));
}

TEST_F(MsgWndTest, WithAParentItIsCentredAndModalOverIt) {
    CMsgWnd owner(Env());
    ASSERT_TRUE(owner.Create(nullptr, "owner")) << owner.CreateError();
    owner.ShowWindow();
    std::vector<std::string> log;
    WhileShown([&](CMsgWnd& window, ui::HeadlessFrame& frame) {
        log = frame.Log();
        ClickOn(window, "confirm_btn");
    });
    EXPECT_EQ(ShowMessage(owner, {}, "message_text_4", 96, MessageText::kKey,
                          MessageButtons::kConfirmCancel),
              1);
    EXPECT_TRUE(seen_->modalOverOwner);
    EXPECT_NE(std::find(log.begin(), log.end(), "center"), log.end());
    EXPECT_TRUE(owner.IsVisible()) << "the owner stays";
}

TEST_F(MsgWndTest, ASkinWithoutSomeControlsStillAsks) {
    test::TempDir skin;
    std::filesystem::create_directories(skin / "XML");
    test::WriteText(skin / "res.xml", R"(<Res><Item name="XML_MSG" file="XML\msg.xml"/></Res>)");
    test::WriteText(skin / "XML" / "msg.xml", R"(<Window size="300,120">
        <VerticalLayout><Button name="confirm_btn" height="40"/><Control/></VerticalLayout>
      </Window>)");
    UseSkin(skin.Path());
    WhileShown([](CMsgWnd& window, ui::HeadlessFrame&) { ClickOn(window, "confirm_btn"); });
    EXPECT_EQ(ShowMessage(Env(), nullptr, "title", "message_text_22", 96, MessageText::kKey,
                          MessageButtons::kConfirmCancel),
              1);
    EXPECT_TRUE(seen_->confirmShown);
}

TEST_F(MsgWndTest, AMessageThatCannotBeShownIsNoConfirmation) {
    test::TempDir skin;
    test::WriteText(skin / "res.xml", "<Res/>");
    UseSkin(skin.Path());
    WhileShown([](CMsgWnd&, ui::HeadlessFrame&) { ADD_FAILURE() << "nothing to show"; });
    EXPECT_EQ(Ask(), 0);
    EXPECT_TRUE(system_.Frames().empty());
}

}  // namespace
}  // namespace halvorn
