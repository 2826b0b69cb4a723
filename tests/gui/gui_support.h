#pragma once

// What the window tests share: one QApplication per executable, bounded
// waits that keep the Qt loop turning, the fixture skin, and a window of
// the fixture's demo layout that records its notifications.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fs/unique_fd.h"
#include "platform/ui/menu.h"
#include "platform/ui/ui_context.h"
#include "platform/ui/window.h"

namespace halvorn::ui::gui_test {

using namespace std::chrono_literals;

constexpr auto kWaitBound = 5000ms;  // only reached when something is broken

// Holds the application and ends it when the tests are over, before the
// process's exit handlers run (a QApplication left to them crashes there).
class AppEnvironment : public ::testing::Environment {
public:
    void TearDown() override { app.reset(); }
    std::unique_ptr<QApplication> app;
};
// gtest owns the environments it is given.
inline AppEnvironment* const kAppEnvironment =
    static_cast<AppEnvironment*>(::testing::AddGlobalTestEnvironment(new AppEnvironment));

// The application, made on first use on the platform given (or the one in
// QT_QPA_PLATFORM, else offscreen).
inline QApplication& App(const char* platform = nullptr) {
    if (!kAppEnvironment->app) {
        if (platform != nullptr) {
            qputenv("QT_QPA_PLATFORM", platform);
        } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "halvorn_gui_test";
        static char* argv[] = {name, nullptr};
        kAppEnvironment->app = std::make_unique<QApplication>(argc, argv);
    }
    return *kAppEnvironment->app;
}

// Turns the Qt loop until `done` or the bound; the last answer of `done`.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds bound = kWaitBound) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > bound.count()) return done();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// Lets the loop run for `ms` (deferred deletes included).
inline void Spin(int ms = 50) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The X display is one pointer and one keyboard: tests that drive it take
// this lock for their whole run, so that parallel test processes (ctest -j)
// do not move each other's pointer. The wait for it is bounded.
class DisplayLock {
public:
    explicit DisplayLock(std::chrono::milliseconds bound = 120000ms) {
        std::string display = qEnvironmentVariable("DISPLAY").toStdString();
        for (char& c : display) {
            if (c == ':' || c == '/') c = '_';
        }
        const std::string path = "/tmp/halvorn-gui-display" + display + ".lock";
        fd_.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
        if (!fd_) return;
        QElapsedTimer timer;
        timer.start();
        while (::flock(fd_.Get(), LOCK_EX | LOCK_NB) != 0) {
            if (timer.elapsed() > bound.count()) {
                fd_.Reset();
                return;
            }
            QThread::msleep(20);
        }
        held_ = true;
    }
    bool Held() const { return held_; }

private:
    UniqueFd fd_;  // closing it releases the lock
    bool held_ = false;
};

inline std::filesystem::path FixtureSkin() {
    return std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures" / "skin";
}

// The fixture skin with its index and English texts.
inline void UseFixtureSkin(UiContext& context) {
    context.SetSkinFolder(FixtureSkin());
    context.Resources().Load(FixtureSkin() / "res.xml");
    context.Language().LoadFile(FixtureSkin() / "lang" / "en.xml");
}

// What the user's actions report; the noise of layout and pointer tracking
// is left out.
struct Seen {
    std::string type;
    std::string sender;
    intptr_t wParam = 0;
    bool operator==(const Seen&) const = default;
};

inline void PrintTo(const Seen& seen, std::ostream* out) {
    *out << seen.type << "(" << seen.sender << ", " << seen.wParam << ")";
}

inline bool Significant(std::string_view type) {
    for (std::string_view t : {"click", "selectchanged", "itemselect", "itemclick", "dropdown",
                               "textchanged", "valuechanged", "setfocus", "killfocus", "return"}) {
        if (type == t) return true;
    }
    return false;
}

inline std::vector<Seen> SignificantOf(const std::vector<TNotifyUI>& recorded) {
    std::vector<Seen> out;
    for (const TNotifyUI& n : recorded) {
        if (!Significant(n.type)) continue;
        out.push_back({n.type, n.sender ? n.sender->GetName() : std::string(), n.wParam});
    }
    return out;
}

// The demo layout as a window: "closebtn" closes it, "menu_btn" opens the
// demo menu under itself, chosen menu items are kept.
class DemoWindow : public WindowImplBase {
public:
    DemoWindow(UiContext& context, loop::MessageLoop& loop, IWindowSystem& system)
        : WindowImplBase(context, loop, system) {
        Pump().On("click", "closebtn", [this](TNotifyUI&) { Close(0); });
        Pump().On("click", "menu_btn", [this](TNotifyUI& msg) {
            menu = CMenuWnd::Load(Context(), "MENU_DEMO");
            if (!menu) return;
            const Rect pos = msg.sender->GetPos();
            menu->Show(*this, Frame()->ClientToScreen({pos.left, pos.bottom}),
                       menu_align::kLeft | menu_align::kTop);
        });
    }
    std::string GetWindowClassName() const override { return "DemoWnd"; }
    std::string GetSkinFile() const override { return "XML_DEMO"; }
    void InitWindow() override { PaintManager().SetRecordNotifications(true); }
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override {
        (void)wParam;
        handled = false;
        if (message == window_message::kMenuClick) {
            if (std::unique_ptr<MenuCmd> record = TakeMenuClick(lParam)) chosen.push_back(*record);
            handled = true;
        }
        return 0;
    }

    std::unique_ptr<CMenuWnd> menu;
    std::vector<MenuCmd> chosen;
};

}  // namespace halvorn::ui::gui_test
