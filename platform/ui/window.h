#pragma once

// A window of the program: a paint manager with a layout from the skin, a
// notification map, window messages through the loop, timers, close and
// modal run. The host that shows it comes from a WindowSystem: Qt in the
// program, headless in tests.
//
// Life of a window: Create builds the layout, makes the frame (hidden),
// sizes it to the layout's init size, calls InitWindow, and then lays the
// tree out, which sends "windowinit" (so InitWindow always runs first).
// Close ends a modal run with its result; a modeless window is hidden and
// destroyed (kDestroy reaches HandleCustomMessage, then OnFinalMessage).
// ShowModal runs until Close and leaves the window destroyed. The object
// itself belongs to whoever made it; it must not be deleted from inside one
// of its own notifications or messages (post a message to its owner for
// that), but a frame survives its window going away.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/loop/message_loop.h"
#include "platform/ui/builder.h"
#include "platform/ui/notify.h"
#include "platform/ui/paint_manager.h"

namespace halvorn::ui {

class WindowImplBase;
class CMenuWnd;
class IMenuView;
class ITrayIcon;
struct MenuCmd;
struct TrayIconSpec;

// Messages the frames and the base send through HandleMessage, numbered as
// the desktop numbers them, so that HandleCustomMessage sees them too.
namespace window_message {
inline constexpr uint32_t kDestroy = 0x0002;     // the window is going away
inline constexpr uint32_t kActivate = 0x0006;    // wParam 1 active, 0 inactive
inline constexpr uint32_t kClose = 0x0010;       // the user asked the frame to close
inline constexpr uint32_t kMouseHover = 0x02A1;  // the pointer entered the window
inline constexpr uint32_t kMouseLeave = 0x02A3;  // the pointer left the window
inline constexpr uint32_t kUser = 0x0400;        // first private message
// A menu item was chosen: lParam is the key of the record, see TakeMenuClick.
inline constexpr uint32_t kMenuClick = kUser + 121;
}  // namespace window_message

// A shown window: what the window system made for one WindowImplBase.
class IWindowFrame : public IWindowHost {
public:
    virtual void Show(bool show, bool activate) = 0;
    virtual bool IsShown() const = 0;
    virtual void SetTitle(std::string_view title) = 0;
    virtual void Resize(Size size) = 0;  // client size, window pixels
    virtual Size ClientSize() const { return {ScreenRect().Width(), ScreenRect().Height()}; }
    virtual void MoveTo(Point topLeft) = 0;
    virtual void Center() = 0;  // on its owner, else on the screen
    virtual Rect ScreenRect() const = 0;
    virtual void Raise() = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void Minimize() = 0;
    virtual bool IsMinimized() const = 0;
    virtual void Restore() { Show(true, true); }  // from minimised (or maximised)
    // Where a point of the window's client area is on the screen.
    virtual Point ClientToScreen(Point point) const {
        return {ScreenRect().left + point.x, ScreenRect().top + point.y};
    }
    // Runs a nested loop until EndModal; returns its result. An EndModal
    // that came first ends the run at once.
    virtual int RunModal() = 0;
    virtual void EndModal(int result) = 0;
    // Hides the window for good; the object may live on, inert.
    virtual void Destroy() = 0;
};

// A menu on the screen; destroying the object closes it.
class IMenuView {
public:
    virtual ~IMenuView() = default;
};

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    virtual std::unique_ptr<IWindowFrame> CreateFrame(WindowImplBase& window,
                                                      IWindowFrame* owner) = 0;
    // The screen the window is on: full size in pixels.
    virtual Size ScreenSize(const IWindowFrame* frame) const = 0;
    // Where the pointer is, in screen pixels.
    virtual Point CursorPos() const { return {}; }
    // Shows `menu` (which outlives the view) with the corner that `align`
    // names at `at` (screen pixels; see menu.h). None when the system shows
    // no menus: the menu then stays a model that tests drive.
    virtual std::unique_ptr<IMenuView> ShowMenu(CMenuWnd& menu, IWindowFrame* owner, Point at,
                                                unsigned align);
    // An icon in the notification area reporting to `owner` (tray_icon.h).
    virtual std::unique_ptr<ITrayIcon> CreateTrayIcon(loop::MessageLoop& loop, loop::TargetId owner,
                                                      const TrayIconSpec& trayIcon);
};

class WindowImplBase : public INotifyUI, public IDialogBuilderCallback, public loop::MessageTarget {
public:
    WindowImplBase(UiContext& context, loop::MessageLoop& loop, IWindowSystem& system);
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    virtual std::string GetWindowClassName() const = 0;
    virtual std::string GetSkinFile() const = 0;  // resource name ("XML_MAIN") or file

    // Builds the layout, makes the frame (hidden), calls InitWindow, lays
    // out ("windowinit"). False when the layout cannot be built (the reason
    // in CreateError) or the window was made already.
    bool Create(WindowImplBase* owner, std::string_view title);
    const std::string& CreateError() const { return createError_; }
    bool IsCreated() const { return frame_ != nullptr; }
    bool IsDestroyed() const { return destroyed_; }
    virtual void InitWindow() {}
    // Whether the frame is drawn by the skin (no title bar of the desktop's):
    // by default when the layout names a caption area.
    virtual bool IsFrameless() const;
    // Runs the notification map (pump()); override and call it for more.
    void Notify(TNotifyUI& msg) override;
    // Window messages; set `handled` for those it takes.
    virtual intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                         bool& handled);
    virtual void OnTimer(int id) { (void)id; }
    // After the window is destroyed: the last call the base makes.
    virtual void OnFinalMessage() {}
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) override;

    void ShowWindow(bool show = true, bool activate = true);
    bool IsVisible() const;
    void CenterWindow();
    // Sizes the client area to `size` skin pixels at the current UI scale.
    void ResizeClient(Size unscaled);
    // Ends a modal run with `result`, or hides and destroys a modeless window.
    virtual void Close(int result = 1);
    // Shows the window modally (over its owner) until Close; returns Close's
    // result, -1 when the window was not created. The window ends destroyed.
    int ShowModal();
    bool IsModal() const { return modal_; }

    bool PostMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    intptr_t SendMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    bool SetTimer(int id, int elapseMs);
    void KillTimer(int id);

    // Menu choices: a menu leaves its record here and posts kMenuClick with
    // the key; the receiver takes the record with TakeMenuClick(lParam).
    // Unknown keys (a stray or repeated message) give null. Records nobody
    // takes go with the window; kMenuClick messages that reach the base's
    // default handling are released there.
    intptr_t QueueMenuClick(MenuCmd record);
    std::unique_ptr<MenuCmd> TakeMenuClick(intptr_t key);

    CPaintManagerUI& PaintManager() { return manager_; }
    const CPaintManagerUI& PaintManager() const { return manager_; }
    CNotifyPump& Pump() { return pump_; }
    IWindowFrame* Frame() const { return frame_.get(); }
    WindowImplBase* Owner() const { return owner_; }
    IWindowSystem& System() const { return system_; }
    loop::TargetId Id() const { return id_; }
    UiContext& Context() const { return context_; }
    loop::MessageLoop& Loop() const { return loop_; }

    // The frame's side: its client area now has `size` window pixels.
    void OnFrameResized(Size size);

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    void DestroyWindow();

    UiContext& context_;
    loop::MessageLoop& loop_;
    IWindowSystem& system_;
    CPaintManagerUI manager_;
    CNotifyPump pump_;
    std::unique_ptr<IWindowFrame> frame_;
    WindowImplBase* owner_ = nullptr;
    loop::TargetId id_ = 0;
    bool modal_ = false;
    bool creating_ = false;
    bool destroyed_ = false;
    bool notifierAdded_ = false;
    std::string createError_;
    std::map<intptr_t, std::unique_ptr<MenuCmd>> menuClicks_;
    intptr_t nextMenuClick_ = 1;
};

}  // namespace halvorn::ui
