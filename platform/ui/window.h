#pragma once

// A window of the program: a paint manager with a layout from the skin, a
// notification map, window messages through the loop, timers, close and
// modal run. The host that shows it comes from a WindowSystem: Qt in the
// program, headless in tests.

#include <memory>
#include <string>
#include <string_view>

#include "platform/loop/message_loop.h"
#include "platform/ui/builder.h"
#include "platform/ui/notify.h"
#include "platform/ui/paint_manager.h"

namespace halvorn::ui {

class WindowImplBase;

// A shown window: what the window system made for one WindowImplBase.
class IWindowFrame : public IWindowHost {
public:
    virtual void Show(bool show, bool activate) = 0;
    virtual bool IsShown() const = 0;
    virtual void SetTitle(std::string_view title) = 0;
    virtual void Resize(Size size) = 0;          // client size, window pixels
    virtual void MoveTo(Point topLeft) = 0;
    virtual void Center() = 0;                   // on its owner, else on the screen
    virtual Rect ScreenRect() const = 0;
    virtual void Raise() = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void Minimize() = 0;
    virtual bool IsMinimized() const = 0;
    // Runs a nested loop until EndModal; returns its result.
    virtual int RunModal() = 0;
    virtual void EndModal(int result) = 0;
    virtual void Destroy() = 0;
};

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    virtual std::unique_ptr<IWindowFrame> CreateFrame(WindowImplBase& window,
                                                      IWindowFrame* owner) = 0;
    // The screen the window is on: full size in pixels.
    virtual Size ScreenSize(const IWindowFrame* frame) const = 0;
};

class WindowImplBase : public INotifyUI, public IDialogBuilderCallback, public loop::MessageTarget {
public:
    WindowImplBase(UiContext& context, loop::MessageLoop& loop, IWindowSystem& system);
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    virtual std::string GetWindowClassName() const = 0;
    virtual std::string GetSkinFile() const = 0;  // resource name ("XML_MAIN") or file

    // Builds the layout, makes the frame (hidden), calls InitWindow. False
    // when the layout cannot be built.
    bool Create(WindowImplBase* owner, std::string_view title);
    virtual void InitWindow() {}
    // Runs the notification map (pump()); override and call it for more.
    void Notify(TNotifyUI& msg) override;
    // Window messages; set `handled` for those it takes.
    virtual intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                         bool& handled);
    virtual void OnTimer(int id) { (void)id; }
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) override;

    void ShowWindow(bool show = true, bool activate = true);
    void CenterWindow();
    // Ends a modal run with `result`, or hides and destroys a modeless window.
    virtual void Close(int result = 1);
    int ShowModal();
    bool IsModal() const { return modal_; }

    bool PostMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    intptr_t SendMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    bool SetTimer(int id, int elapseMs);
    void KillTimer(int id);

    CPaintManagerUI& PaintManager() { return manager_; }
    CNotifyPump& Pump() { return pump_; }
    IWindowFrame* Frame() const { return frame_.get(); }
    loop::TargetId Id() const { return id_; }
    UiContext& Context() const { return context_; }
    loop::MessageLoop& Loop() const { return loop_; }

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    UiContext& context_;
    loop::MessageLoop& loop_;
    IWindowSystem& system_;
    CPaintManagerUI manager_;
    CNotifyPump pump_;
    std::unique_ptr<IWindowFrame> frame_;
    loop::TargetId id_ = 0;
    bool modal_ = false;
};

}  // namespace halvorn::ui
