// The message box with the program's own skin as a real Qt window, drawn
// offscreen: it must show its texts on the skin's colours, answer a click on
// its buttons, and leave a picture of itself under the build folder
// (msg_wnd_*.png; HALVORN_SCREENSHOT_DIR chooses another folder).

#include "windows/msg_wnd.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>

#include "platform/loop/qt/qt_message_loop.h"
#include "platform/ui/qt/qt_window_frame.h"
#include "platform/ui/qt/qt_window_system.h"
#include "tests/gui/gui_support.h"

namespace halvorn::gui_test {
namespace {

using ui::gui_test::App;
using ui::gui_test::WaitUntil;

std::filesystem::path RealSkin() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "skin";
}

std::filesystem::path PictureFolder() {
    const char* dir = std::getenv("HALVORN_SCREENSHOT_DIR");
    return std::filesystem::absolute(dir != nullptr && *dir ? dir : ".");
}

// The shown message box, or null.
ui::QtFrameWidget* MessageWidget() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* frame = dynamic_cast<ui::QtFrameWidget*>(widget);
        if (frame != nullptr && frame->isVisible() && frame->Window() != nullptr &&
            dynamic_cast<CMsgWnd*>(frame->Window()) != nullptr) {
            return frame;
        }
    }
    return nullptr;
}

bool SvgImages() { return QImageReader::supportedImageFormats().contains("svg"); }

class MsgWndOnScreen : public ::testing::Test {
protected:
    MsgWndOnScreen() {
        App();
        context_.SetSkinFolder(RealSkin());
        context_.Resources().Load(RealSkin() / "res.xml");
        context_.Language().LoadFile(RealSkin() / "lang" / "lan_en.xml");
    }
    ~MsgWndOnScreen() override { ui::gui_test::Spin(20); }

    // Shows the message and, once it is drawn, hands its picture and window
    // to `user`, which answers it.
    int Show(std::string_view text, MessageText kind, MessageButtons buttons, int dpi,
             const std::function<void(const QImage&, CMsgWnd&)>& user) {
        bool done = false;
        QTimer::singleShot(0, [&] {
            ui::QtFrameWidget* widget = nullptr;
            const bool shown = WaitUntil([&] {
                widget = MessageWidget();
                return widget != nullptr;
            });
            ui::gui_test::Spin(50);  // let it paint
            if (!shown || widget == nullptr) {
                ADD_FAILURE() << "the message never showed";
                return;
            }
            auto& window = dynamic_cast<CMsgWnd&>(*widget->Window());
            user(widget->grab().toImage(), window);
            done = true;
        });
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, [] {
            if (ui::QtFrameWidget* widget = MessageWidget()) widget->Window()->Close(-99);
        });
        safety.start(15000);
        const int result =
            ShowMessage({context_, loop_, system_}, nullptr, {}, text, dpi, kind, buttons);
        EXPECT_TRUE(done);
        return result;
    }

    static void Save(const QImage& picture, const std::string& name) {
        const std::filesystem::path path = PictureFolder() / name;
        EXPECT_TRUE(picture.save(QString::fromStdString(path.string())));
        std::cout << "screenshot: " << path.string() << "\n";
    }

    // A press and a release at the control's centre, as the widget feeds them.
    static void ClickOn(CMsgWnd& window, std::string_view name) {
        ui::CControlUI* control = window.PaintManager().FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        const ui::Rect r = control->GetPos();
        const ui::Point at{r.left + r.Width() / 2, r.top + r.Height() / 2};
        for (auto kind : {ui::HostInput::Kind::MouseMove, ui::HostInput::Kind::ButtonDown,
                          ui::HostInput::Kind::ButtonUp}) {
            window.PaintManager().HandleInput({.kind = kind, .point = at});
        }
    }

    static QRgb PixelIn(const QImage& picture, const ui::CControlUI& control, int dx, int dy) {
        const ui::Rect r = control.GetPos();
        return picture.pixel(r.left + dx, r.top + dy);
    }

    ui::UiContext context_;
    loop::QtMessageLoop loop_;
    ui::QtWindowSystem system_;
};

TEST_F(MsgWndOnScreen, AQuestionShowsOnTheSkinAndAnswersTheConfirmButton) {
    const int result = Show(
        "message_text_22", MessageText::kKey, MessageButtons::kConfirmCancel, 96,
        [](const QImage& picture, CMsgWnd& window) {
            Save(picture, "msg_wnd_question.png");
            EXPECT_EQ(picture.size(), QSize(400, 196));
            ui::CPaintManagerUI& manager = window.PaintManager();
            // The body and the button bar in the skin's greys.
            EXPECT_EQ(PixelIn(picture, *manager.FindControl("msg_body"), 4, 4), 0xFF1B1E24u);
            EXPECT_EQ(PixelIn(picture, *manager.FindControl("msg_button_bar"), 4, 4), 0xFF16181Du);
            if (SvgImages()) {
                // The accent line along the top, the accent button, the plain one.
                EXPECT_EQ(picture.pixel(200, 2), 0xFF3D8EF0u);
                const QRgb confirm = PixelIn(picture, *manager.FindControl("confirm_btn"), 8, 6);
                EXPECT_GT(qBlue(confirm), 200) << std::hex << confirm;
                const QRgb cancel = PixelIn(picture, *manager.FindControl("cancel_btn"), 8, 6);
                EXPECT_LT(qBlue(cancel), 80) << std::hex << cancel;
            } else {
                std::cout << "Qt reads no SVG here (libqt6svg6 missing): images not checked\n";
            }
            ClickOn(window, "confirm_btn");
        });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(MessageWidget(), nullptr) << "the window goes with its answer";
}

TEST_F(MsgWndOnScreen, ANoticeAt144DpiAnswersItsCloseButtonWithZero) {
    const int result =
        Show("message_text_5", MessageText::kKey, MessageButtons::kConfirm, 144,
             [](const QImage& picture, CMsgWnd& window) {
                 Save(picture, "msg_wnd_notice_144.png");
                 EXPECT_EQ(picture.size(), QSize(600, 294));
                 EXPECT_FALSE(window.PaintManager().FindControl("cancel_btn")->IsVisible());
                 ClickOn(window, "closebtn");
             });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(context_.Dpi(), 144);
}

TEST_F(MsgWndOnScreen, AFormattedLongMessageWrapsInsideTheWindow) {
    const std::string text = FormatMessageText(context_.Language().Text("message_text_16"), -102);
    const int result = Show(text, MessageText::kPlain, MessageButtons::kConfirm, 96,
                            [](const QImage& picture, CMsgWnd& window) {
                                Save(picture, "msg_wnd_formatted.png");
                                ClickOn(window, "confirm_btn");
                            });
    EXPECT_EQ(result, 1);
}

}  // namespace
}  // namespace halvorn::gui_test
