#include "platform/ui/qt/qt_window_system.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <memory>

#include "platform/loop/qt/qt_message_loop.h"
#include "platform/ui/controls/combo.h"
#include "platform/ui/controls/edit.h"
#include "platform/ui/qt/qt_combo_popup.h"
#include "platform/ui/qt/qt_file_dialogs.h"
#include "platform/ui/qt/qt_fonts.h"
#include "platform/ui/qt/qt_input.h"
#include "platform/ui/qt/qt_menu.h"
#include "platform/ui/qt/qt_tray_icon.h"
#include "platform/ui/qt/qt_window_frame.h"
#include "tests/gui/gui_support.h"
#include "tests/support/profile_test_files.h"

namespace halvorn::ui::gui_test {
namespace {

constexpr uint32_t kCloseWith5 = window_message::kUser + 1;

class ModalDemo : public DemoWindow {
public:
    using DemoWindow::DemoWindow;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override {
        if (message == kCloseWith5) {
            modalDuringRun = Frame() != nullptr && IsModal();
            Close(5);
            handled = true;
            return 0;
        }
        return DemoWindow::HandleCustomMessage(message, wParam, lParam, handled);
    }
    bool modalDuringRun = false;
};

// Offscreen: real widgets, painting and Qt's own event loop, no display.
class QtWindowTest : public ::testing::Test {
protected:
    QtWindowTest() {
        App();
        UseFixtureSkin(context_);
    }
    ~QtWindowTest() override { Spin(20); }

    QtFrameWidget* WidgetOf(const WindowImplBase& window) {
        return static_cast<QtWindowFrame*>(window.Frame())->Widget();
    }
    // A press and a release at the control's centre, as the widget feeds them.
    void ClickOn(WindowImplBase& window, std::string_view name) {
        CControlUI* control = window.PaintManager().FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        const Rect r = control->GetPos();
        const Point at{r.left + r.Width() / 2, r.top + r.Height() / 2};
        for (auto kind :
             {HostInput::Kind::MouseMove, HostInput::Kind::ButtonDown, HostInput::Kind::ButtonUp}) {
            window.PaintManager().HandleInput({.kind = kind, .point = at});
        }
    }

    UiContext context_;
    loop::QtMessageLoop loop_;
    QtWindowSystem system_;
};

TEST_F(QtWindowTest, AWindowIsAFramelessWidgetOfTheLayoutsSizeThatPaintsTheTree) {
    DemoWindow window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "Demo")) << window.CreateError();
    QtFrameWidget* widget = WidgetOf(window);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint) << "the skin draws the caption";
    EXPECT_EQ(widget->size(), QSize(520, 380));
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("Demo"));
    EXPECT_FALSE(widget->isVisible());

    window.ShowWindow();
    ASSERT_TRUE(WaitUntil([&] { return widget->isVisible(); }));
    const QImage shot = widget->grab().toImage();
    EXPECT_EQ(shot.pixel(200, 10), 0xFF2D3E50u) << "the title bar's colour";
    EXPECT_EQ(shot.pixel(510, 370), 0xFFF4F6F8u) << "the root's colour";
    // The button's image (blue) is there, under its text.
    const Rect apply = window.PaintManager().FindControl("apply_btn")->GetPos();
    EXPECT_GT(qBlue(shot.pixel(apply.left + 4, apply.top + apply.Height() / 2)), 150);

    window.Close();
    EXPECT_TRUE(window.IsDestroyed());
    EXPECT_FALSE(widget->isVisible());
}

TEST_F(QtWindowTest, ShowModalRunsANestedLoopUntilCloseOverItsOwner) {
    DemoWindow owner(context_, loop_, system_);
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    owner.ShowWindow();
    ModalDemo dialog(context_, loop_, system_);
    ASSERT_TRUE(dialog.Create(&owner, "dialog"));
    EXPECT_EQ(WidgetOf(dialog)->parentWidget(), WidgetOf(owner));

    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [&] { dialog.Close(-99); });
    safety.start(10000);
    ASSERT_TRUE(dialog.PostMessage(kCloseWith5));  // the loop's post reaches the nested loop
    EXPECT_EQ(dialog.ShowModal(), 5);
    EXPECT_TRUE(dialog.modalDuringRun);
    EXPECT_TRUE(dialog.IsDestroyed());
    EXPECT_FALSE(owner.IsDestroyed());
}

TEST_F(QtWindowTest, ClosingTheOwnerFirstLeavesTheChildInert) {
    auto owner = std::make_unique<DemoWindow>(context_, loop_, system_);
    ASSERT_TRUE(owner->Create(nullptr, "owner"));
    DemoWindow child(context_, loop_, system_);
    ASSERT_TRUE(child.Create(owner.get(), "child"));
    owner.reset();
    Spin(20);  // Qt deletes the child's widget with its parent
    child.ShowWindow();
    child.CenterWindow();
    EXPECT_FALSE(child.IsVisible());
    child.Close();
    EXPECT_TRUE(child.IsDestroyed());
}

TEST_F(QtWindowTest, AMenuIsAQMenuWhoseChoiceReachesTheOwner) {
    DemoWindow window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "Demo"));
    window.ShowWindow();
    ClickOn(window, "menu_btn");
    ASSERT_NE(window.menu, nullptr);
    QMenu* qmenu = WidgetOf(window)->findChild<QMenu*>(QStringLiteral("menu"));
    ASSERT_NE(qmenu, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return qmenu->isVisible(); }));
    QStringList texts;
    for (QAction* action : qmenu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(texts, (QStringList{"About", "-", "Exit"}));
    const Rect button = window.PaintManager().FindControl("menu_btn")->GetPos();
    const Point corner = window.Frame()->ClientToScreen({button.left, button.bottom});
    EXPECT_EQ(qmenu->pos(), QPoint(corner.x, corner.y)) << "its top-left corner at the point";

    qmenu->actions().back()->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !window.chosen.empty(); }));
    EXPECT_EQ(window.chosen[0], (MenuCmd{"exit", "", "Exit", false}));
    EXPECT_FALSE(window.menu->IsShown());
}

TEST_F(QtWindowTest, AComboDropsDownAListWhosePickSelectsTheItem) {
    DemoWindow window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "Demo"));
    window.ShowWindow();
    auto* combo = dynamic_cast<CComboUI*>(window.PaintManager().FindControl("light_combo"));
    ASSERT_NE(combo, nullptr);

    ClickOn(window, "light_combo");
    QtComboPopup* popup = system_.ActivePopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(combo->IsDroppedDown());
    ASSERT_EQ(popup->List()->count(), 4);
    EXPECT_EQ(popup->List()->item(3)->text(), QStringLiteral("White"));
    EXPECT_EQ(popup->List()->currentRow(), 1) << "the selected item is marked";
    const QRect list = popup->List()->geometry();
    const Point below =
        window.Frame()->ClientToScreen({combo->GetPos().left, combo->GetPos().bottom});
    EXPECT_EQ(list.topLeft(), QPoint(below.x, below.y)) << "under the combo";

    emit popup->List()->itemClicked(popup->List()->item(2));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "Blue");
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ(system_.ActivePopup(), nullptr);
    const std::vector<Seen> seen = SignificantOf(window.PaintManager().Recorded());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), (Seen{"itemselect", "light_combo", 2}));

    // Dismissed without a pick: the combo is closed and keeps its item.
    ClickOn(window, "light_combo");
    ASSERT_NE(system_.ActivePopup(), nullptr);
    system_.ActivePopup()->List()->hide();
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ(combo->GetCurSel(), 2);
}

TEST_F(QtWindowTest, KeyEventsReachTheFocusedEditAsKeysAndCharacters) {
    DemoWindow window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "Demo"));
    window.ShowWindow();
    ClickOn(window, "name_edit");
    auto* edit = dynamic_cast<CEditUI*>(window.PaintManager().FindControl("name_edit"));
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(window.PaintManager().GetFocus(), edit);
    QtFrameWidget* widget = WidgetOf(window);
    auto press = [&](int key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(widget, &event);
    };
    press(Qt::Key_H, "H", Qt::ShiftModifier);
    press(Qt::Key_I, "i");
    press(Qt::Key_X, "x");
    press(Qt::Key_Backspace, "\b");
    press(Qt::Key_A, "\x01", Qt::ControlModifier);  // no typing with Control
    press(0, QString::fromUtf8("é"));
    EXPECT_EQ(edit->GetText(), "Hié");
}

TEST(QtInput, KeyPressesBecomeKeyCodesAndTypedCharacters) {
    App();
    struct Case {
        int key;
        QString text;
        Qt::KeyboardModifiers modifiers;
        std::vector<std::pair<HostInput::Kind, uint32_t>> expected;  // key or character
    };
    using K = HostInput::Kind;
    const Case cases[] = {
        {Qt::Key_A, "a", {}, {{K::KeyDown, 'A'}, {K::Char, 'a'}}},
        {Qt::Key_5, "%", Qt::ShiftModifier, {{K::KeyDown, '5'}, {K::Char, '%'}}},
        {Qt::Key_Return, "\r", {}, {{K::KeyDown, key::kReturn}}},
        {Qt::Key_Backspace, "\b", {}, {{K::KeyDown, key::kBackspace}}},
        {Qt::Key_Left, "", {}, {{K::KeyDown, key::kLeft}}},
        {Qt::Key_F4, "", Qt::AltModifier, {{K::KeyDown, 0x73}}},
        {Qt::Key_C, "\x03", Qt::ControlModifier, {{K::KeyDown, 'C'}}},
        {Qt::Key_unknown, QString::fromUtf8("ß"), {}, {{K::Char, U'ß'}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const std::vector<HostInput> inputs =
            KeyPressInput(QKeyEvent(QEvent::KeyPress, c.key, c.modifiers, c.text));
        ASSERT_EQ(inputs.size(), c.expected.size());
        for (size_t i = 0; i < inputs.size(); ++i) {
            EXPECT_EQ(inputs[i].kind, c.expected[i].first);
            EXPECT_EQ(inputs[i].kind == K::Char ? inputs[i].character : inputs[i].key,
                      c.expected[i].second);
        }
    }
    const auto shifted = KeyPressInput(QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::ShiftModifier));
    ASSERT_EQ(shifted.size(), 1u);
    EXPECT_EQ(shifted[0].modifiers, modifier::kShift);
}

TEST(QtFileDialogs, FiltersAreWrittenTheWayQtReadsThem) {
    struct Case {
        FileFilter filter;
        const char* expected;
    };
    const Case cases[] = {
        {{"Profile Files(*.json)", "*.json;"}, "Profile Files(*.json)"},
        {{"Pictures", "*.png;*.jpg"}, "Pictures (*.png *.jpg)"},
        {{"Shoot Files(*.shoot)", "*.SHOOT"}, "Shoot Files(*.shoot) (*.SHOOT)"},
        {{"Anything", ""}, "Anything (*)"},
    };
    for (const Case& c : cases) EXPECT_EQ(QtFilterText(c.filter).toStdString(), c.expected);
    EXPECT_EQ(ParseFilterList("(*.png) | *.png |(*.*)|*.*||"),
              (std::vector<FileFilter>{{"(*.png)", "*.png"}, {"(*.*)", "*.*"}}));
}

TEST(QtFonts, PrivateFontsLoadAndMissingOnesAreSkipped) {
    App();
    test::TempDir folder;
    const std::filesystem::path dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(dejavu)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
    std::filesystem::copy_file(dejavu, folder / "ui.ttf");
    test::WriteText(folder / "broken.ttf", "not a font");
    const std::vector<std::string> families =
        LoadPrivateFonts(folder.Path(), {"missing.ttf", "broken.ttf", "ui.ttf"});
    EXPECT_EQ(families, (std::vector<std::string>{"DejaVu Sans"}));
}

TEST_F(QtWindowTest, TrayClicksArePostedToTheOwner) {
    ModalDemo window(context_, loop_, system_);
    ASSERT_TRUE(window.Create(nullptr, "Demo"));
    struct Recorder : loop::MessageTarget {
        intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
            seen.push_back({message, wParam, lParam});
            return 0;
        }
        std::vector<std::tuple<uint32_t, uintptr_t, intptr_t>> seen;
    } recorder;
    const loop::TargetId id = loop_.AddTarget(&recorder);
    QtTrayIcon icon(loop_, id,
                    {FixtureSkin() / "images" / "thumb.png", "Halvorn Device", 1025, 107});
    EXPECT_EQ(icon.ToolTip(), "Halvorn Device");
    emit icon.Icon().activated(QSystemTrayIcon::Trigger);
    emit icon.Icon().activated(QSystemTrayIcon::Context);
    emit icon.Icon().activated(QSystemTrayIcon::MiddleClick);
    ASSERT_TRUE(WaitUntil([&] { return recorder.seen.size() >= 2; }));
    Spin(20);
    using Seen3 = std::tuple<uint32_t, uintptr_t, intptr_t>;
    EXPECT_EQ(recorder.seen, (std::vector<Seen3>{{1025, 107, 514}, {1025, 107, 517}}));
    loop_.RemoveTarget(id);
}

}  // namespace
}  // namespace halvorn::ui::gui_test
