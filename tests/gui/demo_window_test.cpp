// The demo layout as a real window on an X display, driven by xdotool as a
// user would drive it: the notifications it reports must be the ones the
// headless tree reports for the same actions at the same places. Skips when
// no display can be reached or xdotool is missing (scripts/test starts Xvfb).

#include <gtest/gtest.h>

#include <QMenu>
#include <QProcess>
#include <QWindow>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/loop/fake_loop.h"
#include "platform/loop/qt/qt_message_loop.h"
#include "platform/ui/builder.h"
#include "platform/ui/controls/combo.h"
#include "platform/ui/controls/edit.h"
#include "platform/ui/controls/slider.h"
#include "platform/ui/qt/qt_combo_popup.h"
#include "platform/ui/qt/qt_window_frame.h"
#include "platform/ui/qt/qt_window_system.h"
#include "tests/gui/gui_support.h"

namespace halvorn::ui::gui_test {
namespace {

constexpr int kProcessBoundMs = 10000;

bool DisplayReachable() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    // Bounded: a display that does not answer counts as none.
    return std::system("timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1") == 0;
}

// Runs a program to its end (bounded) while the Qt loop keeps turning, so
// that the window sees the input the program makes.
bool RunProgram(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(3000)) return false;
    const bool ended = WaitUntil([&] { return process.state() == QProcess::NotRunning; },
                                 std::chrono::milliseconds(kProcessBoundMs));
    if (!ended) {
        process.kill();
        process.waitForFinished(1000);
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                      << " did not end";
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool Xdotool(const QStringList& args) { return RunProgram(QStringLiteral("xdotool"), args); }

QString Num(int value) { return QString::number(value); }

Point CentreOf(const CControlUI& control) {
    const Rect& r = control.GetPos();
    return {r.left + r.Width() / 2, r.top + r.Height() / 2};
}

class DemoOnDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { reachable_ = DisplayReachable(); }

    void SetUp() override {
        if (!reachable_) GTEST_SKIP() << "no X display with xdotool (DISPLAY unset or unreachable)";
        displayLock_ = std::make_unique<DisplayLock>();
        ASSERT_TRUE(displayLock_->Held()) << "another test kept the display too long";
        App("xcb");
        if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
            GTEST_SKIP() << "the application runs on "
                         << QGuiApplication::platformName().toStdString();
        }
        UseFixtureSkin(context_);
        loop_ = std::make_unique<loop::QtMessageLoop>();
        system_ = std::make_unique<QtWindowSystem>();
        window_ = std::make_unique<DemoWindow>(context_, *loop_, *system_);
        ASSERT_TRUE(window_->Create(nullptr, "Halvorn demo")) << window_->CreateError();
        window_->Frame()->MoveTo({60, 60});
        window_->ShowWindow();
        widget_ = static_cast<QtWindowFrame*>(window_->Frame())->Widget();
        ASSERT_TRUE(WaitUntil([&] {
            return widget_->isVisible() && widget_->windowHandle() &&
                   widget_->windowHandle()->isExposed();
        })) << "the window never showed";
        Spin(100);
        windowId_ = Num(static_cast<int>(widget_->winId()));
    }

    void TearDown() override {
        window_.reset();
        system_.reset();
        loop_.reset();
        Spin(20);
        displayLock_.reset();
    }

    CControlUI& Control(std::string_view name) {
        CControlUI* control = window_->PaintManager().FindControl(name);
        EXPECT_NE(control, nullptr) << name;
        return *control;
    }

    // A left click at a point of the window's client area.
    bool ClickAt(Point at) {
        clicks_.push_back(at);
        return Xdotool({"mousemove", "--window", windowId_, Num(at.x), Num(at.y), "click", "1"});
    }

    bool Saw(const Seen& wanted) {
        return WaitUntil([&] {
            const std::vector<Seen> seen = SignificantOf(window_->PaintManager().Recorded());
            return std::find(seen.begin(), seen.end(), wanted) != seen.end();
        });
    }

    std::string SavePicture(const std::string& name) {
        const char* dir = std::getenv("HALVORN_SCREENSHOT_DIR");
        const std::filesystem::path path =
            std::filesystem::absolute(dir != nullptr && *dir ? dir : ".") / name;
        EXPECT_TRUE(widget_->grab().save(QString::fromStdString(path.string())));
        std::cout << "screenshot: " << path.string() << "\n";
        return path.string();
    }

    static inline bool reachable_ = false;
    std::unique_ptr<DisplayLock> displayLock_;
    UiContext context_;
    std::unique_ptr<loop::QtMessageLoop> loop_;
    std::unique_ptr<QtWindowSystem> system_;
    std::unique_ptr<DemoWindow> window_;
    QtFrameWidget* widget_ = nullptr;
    QString windowId_;
    std::vector<Point> clicks_;
};

TEST_F(DemoOnDisplay, UserActionsReportWhatTheHeadlessTreeReports) {
    // The button, an option of the group, a combo item from its drop-down,
    // typing into the edit, the slider at three quarters, a list row.
    ASSERT_TRUE(ClickAt(CentreOf(Control("apply_btn"))));
    ASSERT_TRUE(Saw({"click", "apply_btn", 0}));
    ASSERT_TRUE(ClickAt(CentreOf(Control("mode_option_1"))));
    ASSERT_TRUE(Saw({"selectchanged", "mode_option_1", 1}));

    ASSERT_TRUE(ClickAt(CentreOf(Control("light_combo"))));
    ASSERT_TRUE(WaitUntil([&] { return system_->ActivePopup() != nullptr; })) << "no drop-down";
    const QRect row = system_->ActivePopup()->RowRect(2);
    ASSERT_FALSE(row.isEmpty());
    ASSERT_TRUE(Xdotool(
        {"mousemove", "--sync", Num(row.center().x()), Num(row.center().y()), "click", "1"}));
    ASSERT_TRUE(Saw({"itemselect", "light_combo", 2}));

    ASSERT_TRUE(ClickAt(CentreOf(Control("name_edit"))));
    ASSERT_TRUE(Saw({"setfocus", "name_edit", 0}));
    ASSERT_TRUE(Xdotool({"type", "--delay", "40", "Hello"}));
    auto& edit = dynamic_cast<CEditUI&>(Control("name_edit"));
    ASSERT_TRUE(WaitUntil([&] { return edit.GetText() == "Hello"; })) << edit.GetText();

    const Rect slider = Control("bright_slider").GetPos();
    const Point threeQuarters{slider.left + slider.Width() * 3 / 4,
                              slider.top + slider.Height() / 2};
    ASSERT_TRUE(ClickAt(threeQuarters));
    ASSERT_TRUE(Saw({"killfocus", "name_edit", 0}));
    ASSERT_TRUE(WaitUntil([&] {
        const auto seen = SignificantOf(window_->PaintManager().Recorded());
        return !seen.empty() && seen.back().type == "valuechanged";
    }));
    ASSERT_TRUE(ClickAt(CentreOf(Control("profile_1"))));
    ASSERT_TRUE(Saw({"itemselect", "profile_list", 1}));
    Spin(100);
    SavePicture("demo_window.png");
    if (std::system("command -v import >/dev/null 2>&1") == 0) {
        const std::string root = std::filesystem::absolute("demo_screen.png").string();
        if (RunProgram(QStringLiteral("import"),
                       {"-window", "root", QString::fromStdString(root)})) {
            std::cout << "screenshot: " << root << "\n";
        }
    }

    auto& combo = dynamic_cast<CComboUI&>(Control("light_combo"));
    auto& bright = dynamic_cast<CSliderUI&>(Control("bright_slider"));
    EXPECT_EQ(combo.GetText(), "Blue");
    EXPECT_NEAR(bright.GetValue(), 75, 3);

    // The same actions on the headless tree, at the same places.
    UiContext headlessContext;
    UseFixtureSkin(headlessContext);
    loop::FakeLoop fakeLoop;
    CPaintManagerUI headless(headlessContext, fakeLoop);
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create("XML_DEMO", nullptr, headless);
    ASSERT_NE(root, nullptr) << builder.Error();
    headless.AttachDialog(std::move(root));
    headless.SetRecordNotifications(true);
    headless.SetClientSize(window_->PaintManager().GetClientSize());
    auto press = [&](Point at) {
        for (auto kind :
             {HostInput::Kind::MouseMove, HostInput::Kind::ButtonDown, HostInput::Kind::ButtonUp}) {
            headless.HandleInput({.kind = kind, .point = at});
        }
    };
    ASSERT_EQ(clicks_.size(), 6u);
    press(clicks_[0]);
    press(clicks_[1]);
    press(clicks_[2]);
    dynamic_cast<CComboUI*>(headless.FindControl("light_combo"))->PickFromDropDown(2);
    press(clicks_[3]);
    for (char32_t c : U"Hello") {
        HostInput typed;
        typed.kind = HostInput::Kind::Char;
        typed.character = c;
        if (c != 0) headless.HandleInput(typed);
    }
    press(clicks_[4]);
    press(clicks_[5]);

    const std::vector<Seen> real = SignificantOf(window_->PaintManager().Recorded());
    EXPECT_EQ(real, SignificantOf(headless.Recorded()));
    EXPECT_EQ(dynamic_cast<CSliderUI*>(headless.FindControl("bright_slider"))->GetValue(),
              bright.GetValue());

    ASSERT_TRUE(ClickAt(CentreOf(Control("closebtn"))));
    EXPECT_TRUE(WaitUntil([&] { return window_->IsDestroyed(); })) << "closebtn closes the window";
    EXPECT_FALSE(widget_->isVisible());
}

TEST_F(DemoOnDisplay, AMenuItemClickedOnTheScreenReachesTheWindow) {
    ASSERT_TRUE(ClickAt(CentreOf(Control("menu_btn"))));
    QMenu* menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        menu = widget_->findChild<QMenu*>(QStringLiteral("menu"));
        return menu != nullptr && menu->isVisible();
    })) << "no menu";
    QAction* about = menu->actions().front();
    const QPoint at = menu->mapToGlobal(menu->actionGeometry(about).center());
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", Num(at.x()), Num(at.y()), "click", "1"}));
    ASSERT_TRUE(WaitUntil([&] { return !window_->chosen.empty(); })) << "no choice arrived";
    EXPECT_EQ(window_->chosen[0], (MenuCmd{"about_menu", "about", "About", false}));
    EXPECT_FALSE(window_->menu->IsShown());
}

TEST_F(DemoOnDisplay, DraggingTheCaptionMovesTheFramelessWindow) {
    const QPoint before = widget_->pos();
    const Rect title = Control("title").GetPos();
    const Point grip{title.left + 40, title.top + title.Height() / 2};
    ASSERT_TRUE(Xdotool({"mousemove", "--window", windowId_, Num(grip.x), Num(grip.y), "mousedown",
                         "1", "mousemove_relative", "--sync", "30", "20", "mousemove_relative",
                         "--sync", "10", "10", "mouseup", "1"}));
    EXPECT_TRUE(WaitUntil([&] { return widget_->pos() == before + QPoint(40, 30); }))
        << "moved to " << widget_->pos().x() << "," << widget_->pos().y();
    const std::vector<Seen> seen = SignificantOf(window_->PaintManager().Recorded());
    EXPECT_TRUE(seen.empty()) << "a caption drag is no click on the tree";
}

}  // namespace
}  // namespace halvorn::ui::gui_test
