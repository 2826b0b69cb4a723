#pragma once

// A window system without a screen, for tests: frames record what the
// window asked of them (shown, title, size, position, modal runs, ...), the
// test acts as the user through the paint manager (HandleInput) or the
// models (CMenuWnd::Choose, HeadlessTrayIcon::Click), and modal runs turn
// the test's loop until the window closes.
//
// The system must outlive the frames it made.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/loop/fake_loop.h"
#include "platform/ui/tray_icon.h"
#include "platform/ui/window.h"

namespace halvorn::ui {

class HeadlessWindowSystem;

class HeadlessFrame : public IWindowFrame {
public:
    HeadlessFrame(HeadlessWindowSystem& system, WindowImplBase& window, HeadlessFrame* owner);
    ~HeadlessFrame() override;

    void Show(bool show, bool activate) override;
    bool IsShown() const override { return shown_ && !destroyed_; }
    void SetTitle(std::string_view title) override;
    void Resize(Size size) override;
    Size ClientSize() const override { return size_; }
    void MoveTo(Point topLeft) override;
    void Center() override;
    Rect ScreenRect() const override;
    void Raise() override;
    void SetTopmost(bool topmost) override;
    void Minimize() override;
    bool IsMinimized() const override { return minimized_; }
    void Restore() override;
    Point ClientToScreen(Point point) const override;
    int RunModal() override;
    void EndModal(int result) override;
    void Destroy() override;

    void Invalidate(const Rect& rect) override;
    void ShowToolTip(std::string_view text, Point at) override;
    void HideToolTip() override { toolTip_.reset(); }
    void SetCapture(bool capture) override { captured_ = capture; }

    WindowImplBase& Window() const { return window_; }
    HeadlessFrame* Owner() const { return owner_; }
    const std::string& Title() const { return title_; }
    bool IsTopmost() const { return topmost_; }
    bool IsActive() const { return active_; }
    bool IsDestroyed() const { return destroyed_; }
    bool IsCaptured() const { return captured_; }
    bool InModal() const { return inModal_; }
    int Invalidations() const { return invalidations_; }
    const std::optional<std::string>& ToolTip() const { return toolTip_; }
    // "show", "hide", "title T", "resize WxH", "move X,Y", "center", "raise",
    // "topmost 1", "minimize", "restore", "modal", "endmodal R", "destroy".
    const std::vector<std::string>& Log() const { return log_; }

private:
    HeadlessWindowSystem& system_;
    WindowImplBase& window_;
    HeadlessFrame* owner_;
    std::string title_;
    Size size_;
    Point position_;
    bool shown_ = false;
    bool active_ = false;
    bool topmost_ = false;
    bool minimized_ = false;
    bool destroyed_ = false;
    bool captured_ = false;
    bool inModal_ = false;
    bool modalEnded_ = false;
    int modalResult_ = 0;
    int invalidations_ = 0;
    std::optional<std::string> toolTip_;
    std::vector<std::string> log_;
};

// A tray icon the test clicks.
class HeadlessTrayIcon : public ITrayIcon {
public:
    HeadlessTrayIcon(HeadlessWindowSystem& system, loop::MessageLoop& loop, loop::TargetId owner,
                     TrayIconSpec trayIcon);
    ~HeadlessTrayIcon() override;
    bool IsShown() const override { return true; }
    void SetToolTip(std::string_view text) override { toolTip_ = std::string(text); }
    std::string ToolTip() const override { return toolTip_; }
    const TrayIconSpec& Settings() const { return reporter_.Settings(); }
    // The user clicked: tray_event::kLeftButtonUp or kRightButtonUp.
    bool Click(intptr_t mouseMessage) const { return reporter_.Report(mouseMessage); }

private:
    HeadlessWindowSystem& system_;
    TrayIconReporter reporter_;
    std::string toolTip_;
};

class HeadlessWindowSystem : public IWindowSystem {
public:
    // Runs what is pending on the test's loop; false when nothing ran.
    using Pump = std::function<bool()>;
    static constexpr int kModalPumpLimit = 100000;

    // Without a pump a modal run ends only by what its script does.
    explicit HeadlessWindowSystem(Pump pump = {});
    explicit HeadlessWindowSystem(loop::FakeLoop& loop);
    ~HeadlessWindowSystem() override;

    void SetScreenSize(Size size) { screen_ = size; }
    void SetCursorPos(Point point) { cursor_ = point; }
    // Runs at the start of every modal run, with its frame: the test acts as
    // the user there (clicks a button, posts messages). A run the script and
    // the pump do not end returns -1 once nothing is pending any more.
    void SetModalScript(std::function<void(HeadlessFrame&)> script) {
        modalScript_ = std::move(script);
    }

    std::vector<HeadlessFrame*> Frames() const { return frames_; }
    HeadlessFrame* FrameOf(const WindowImplBase& window) const;
    std::vector<HeadlessTrayIcon*> TrayIcons() const { return trayIcons_; }

    struct MenuShowing {
        CMenuWnd* menu;
        Point at;
        unsigned align;
    };
    // Every ShowMenu so far, in order.
    const std::vector<MenuShowing>& MenusShown() const { return menus_; }

    std::unique_ptr<IWindowFrame> CreateFrame(WindowImplBase& window, IWindowFrame* owner) override;
    Size ScreenSize(const IWindowFrame* frame) const override;
    Point CursorPos() const override { return cursor_; }
    std::unique_ptr<IMenuView> ShowMenu(CMenuWnd& menu, IWindowFrame* owner, Point at,
                                        unsigned align) override;
    std::unique_ptr<ITrayIcon> CreateTrayIcon(loop::MessageLoop& loop, loop::TargetId owner,
                                              const TrayIconSpec& trayIcon) override;

private:
    friend class HeadlessFrame;
    friend class HeadlessTrayIcon;
    bool PumpOnce() { return pump_ && pump_(); }

    Pump pump_;
    Size screen_{1920, 1080};
    Point cursor_;
    std::function<void(HeadlessFrame&)> modalScript_;
    std::vector<HeadlessFrame*> frames_;
    std::vector<HeadlessTrayIcon*> trayIcons_;
    std::vector<MenuShowing> menus_;
};

}  // namespace halvorn::ui
