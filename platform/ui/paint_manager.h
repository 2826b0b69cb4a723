#pragma once

// One window's control tree: names, notifications, focus, hot and pushed
// controls, per-control timers, fonts, default attributes, layout and paint.
// The window host (Qt, or a headless test host) feeds it input and shows
// what it paints.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/loop/message_loop.h"
#include "platform/ui/canvas.h"
#include "platform/ui/control.h"
#include "platform/ui/notify.h"
#include "platform/ui/ui_context.h"

namespace halvorn::ui {

// The window that shows a manager's tree.
class IWindowHost {
public:
    virtual ~IWindowHost() = default;
    virtual void Invalidate(const Rect& rect) = 0;
    virtual void ShowToolTip(std::string_view text, Point at) = 0;
    virtual void HideToolTip() = 0;
    // Mouse capture while a button is held on a control (slider dragging).
    virtual void SetCapture(bool capture) = 0;
};

// Input from the window host, in window pixels.
struct HostInput {
    enum class Kind {
        MouseMove,
        MouseLeaveWindow,
        ButtonDown,
        ButtonUp,
        DoubleClick,
        RightButtonDown,
        RightButtonUp,
        Wheel,
        KeyDown,
        Char,
        Activate,  // the window became active (key 1) or inactive (key 0)
    };
    Kind kind = Kind::MouseMove;
    Point point{};
    uint32_t key = 0;
    char32_t character = 0;
    int wheelDelta = 0;
    uint32_t modifiers = 0;
};

// Controls leaving the tree while input, a notification or a timer is being
// handled (a click handler clearing the list it sits in) are detached at
// once and destroyed when that handling is over, so that the code still
// running on them never touches freed memory. A window must not destroy its
// own manager from inside one of its notifications: post that instead.
class CPaintManagerUI : public loop::MessageTarget {
public:
    // Registers with `context` (scale and language changes reach it) and
    // with `loop` (timers, asynchronous notifications) for its whole life.
    CPaintManagerUI(UiContext& context, loop::MessageLoop& loop);
    ~CPaintManagerUI() override;
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    UiContext& Context() const { return context_; }
    loop::MessageLoop& Loop() const { return loop_; }
    void SetHost(IWindowHost* host) { host_ = host; }
    IWindowHost* Host() const { return host_; }

    // The tree. The manager owns the root; names are registered so that
    // FindControl finds them (the first control of a name wins).
    void AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return root_.get(); }
    void InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Called by a control leaving the tree: forget its name, focus, hot,
    // pushed state, timers and pending asynchronous notifications.
    void ReapObjects(CControlUI* control);
    // A control of this tree was renamed.
    void NameChanged(CControlUI* control, std::string_view oldName);
    // Keeps a control taken out of the tree alive until the handling in
    // progress is over (at once when none is).
    void DelayedCleanup(std::unique_ptr<CControlUI> control);
    CControlUI* FindControl(std::string_view name) const;
    CControlUI* FindControl(Point point) const;  // the topmost mouse-enabled control there
    CControlUI* FindSubControlByName(CControlUI* parent, std::string_view name) const;
    std::vector<CControlUI*> FindSubControlsByClass(CControlUI* parent,
                                                    std::string_view className) const;

    // Notifications go to every notifier, in the order added, and then to the
    // sender's own handling (CControlUI::OnNotify) unless a notifier took the
    // sender out of the tree. Async ones are posted through the loop and
    // dropped when their sender leaves the tree first.
    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* sender, std::string_view type, intptr_t wParam = 0,
                    intptr_t lParam = 0, bool async = false);
    // Every notification sent so far in order, when recording is on (tests).
    void SetRecordNotifications(bool on) { record_ = on; }
    const std::vector<TNotifyUI>& Recorded() const { return recorded_; }

    // Focus, with "killfocus" to the old control and "setfocus" to the new.
    CControlUI* GetFocus() const { return focus_; }
    void SetFocus(CControlUI* control);
    CControlUI* GetHot() const { return hot_; }
    CControlUI* GetPushed() const { return pushed_; }
    // Routes host input: the pointer to the topmost visible, enabled,
    // mouse-enabled control under it (hot tracking with MouseEnter /
    // MouseLeave; a held button keeps sending to the pushed control), keys
    // and characters to the focused control. A button press focuses the
    // control when it is keyboard-enabled and clears the focus otherwise. A
    // tooltip shows once the pointer has rested kToolTipDelayMs on a control
    // that has one.
    void HandleInput(const HostInput& input);
    Point GetMousePos() const { return mouse_; }
    static constexpr int kToolTipDelayMs = 500;
    // A window's own keys, seen before the focused control (a dialog's
    // Escape, whatever has the focus or when nothing has): returns true for
    // a key it took, which then goes no further.
    using KeyFilter = std::function<bool(uint32_t key, uint32_t modifiers)>;
    void SetKeyFilter(KeyFilter filter) { keyFilter_ = std::move(filter); }

    // Size and layout. Sizes from the layout's <Window> are set unscaled
    // and read scaled.
    Size GetInitSize() const;
    void SetInitSize(Size size) { initSize_ = size; }
    Size GetMinInfo() const;
    void SetMinInfo(Size size) { minInfo_ = size; }
    Rect GetCaptionRect() const;
    void SetCaptionRect(const Rect& rect) { caption_ = rect; }
    // Every attribute of the layout's <Window> as written ("roundcorner",
    // "sizebox", ...); empty when absent.
    std::string GetWindowAttribute(std::string_view name) const;
    void SetWindowAttribute(std::string_view name, std::string_view value);
    Size GetClientSize() const { return clientSize_; }
    // The window's client area changed: lay out, and "windowsize" to the root.
    void SetClientSize(Size size);
    void NeedUpdate() { needUpdate_ = true; }
    // Lays out whatever asked for it; the first layout after AttachDialog
    // also sends "windowinit".
    void Layout();
    void Invalidate(const Rect& rect);
    void Invalidate();  // the whole client area
    // Lays out what needs it, then paints the tree over `dirty`.
    void Paint(Canvas& canvas, const Rect& dirty);

    // Per-control timers on the loop.
    bool SetTimer(CControlUI* control, int id, int elapseMs);
    void KillTimer(CControlUI* control, int id);
    void KillTimers(CControlUI* control);

    // Fonts by index (the layout's <Font id=...>); -1 and unknown indexes
    // give the default font.
    void AddFont(int index, const FontSpec& font);
    void RemoveAllFonts();
    FontSpec GetFont(int index) const;  // scaled
    void SetDefaultFont(const FontSpec& font) { defaultFont_ = font; }

    // <Default name="Button" value="..."/> attribute lists, applied by the
    // builder before a control's own attributes. Class names ignore case.
    void AddDefaultAttributeList(std::string_view className, std::string_view list);
    const std::string* GetDefaultAttributeList(std::string_view className) const;

    int GetDpi() const { return context_.Dpi(); }
    int Scale(int value) const { return context_.Scale(value); }
    // The scale or the language changed: every text and size again (the
    // tree is laid out again at once and repainted).
    void ReloadTexts();
    void ScaleChanged();

    uint64_t NowMs() const { return loop_.NowMs(); }
    loop::TargetId Id() const { return id_; }

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // The message that carries an asynchronous notification to HandleMessage.
    static constexpr uint32_t kNotifyMessage = 0x8000 + 0x0D01;

private:
    // Handling in progress (input, a notification, a timer): controls removed
    // meanwhile are destroyed when the outermost scope ends.
    class DispatchScope {
    public:
        explicit DispatchScope(CPaintManagerUI& manager);
        ~DispatchScope();
        DispatchScope(const DispatchScope&) = delete;
        DispatchScope& operator=(const DispatchScope&) = delete;

    private:
        CPaintManagerUI& manager_;
    };
    // A control pointer that turns null when the control leaves the tree.
    class Watch {
    public:
        Watch(CPaintManagerUI& manager, CControlUI* control);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;
        CControlUI* get() const { return control_; }

    private:
        CPaintManagerUI& manager_;
        CControlUI* control_;
    };
    void RegisterName(CControlUI* control);
    void Dispatch(TNotifyUI& msg);
    void RelayoutAll();
    void SetHot(CControlUI* control);
    void DispatchEvent(CControlUI* control, UIEvent event);
    bool InTree(const CControlUI* control) const;
    void StartToolTipTimer();
    void CancelToolTip();
    void OnTimer(int loopId);

    UiContext& context_;
    loop::MessageLoop& loop_;
    loop::TargetId id_ = 0;
    IWindowHost* host_ = nullptr;
    std::unique_ptr<CControlUI> root_;
    std::multimap<std::string, CControlUI*, std::less<>> names_;
    std::vector<INotifyUI*> notifiers_;
    bool record_ = false;
    std::vector<TNotifyUI> recorded_;
    CControlUI* focus_ = nullptr;
    CControlUI* hot_ = nullptr;
    CControlUI* pushed_ = nullptr;
    Point mouse_;
    KeyFilter keyFilter_;
    Size initSize_;
    Size minInfo_;
    Rect caption_;
    std::map<std::string, std::string, std::less<>> windowAttributes_;
    Size clientSize_;
    bool needUpdate_ = true;
    bool initSent_ = false;
    std::map<int, FontSpec> fonts_;
    FontSpec defaultFont_;
    std::map<std::string, std::string, std::less<>> defaults_;
    std::map<int, std::pair<CControlUI*, int>> timers_;  // loop timer id -> control, control's id
    int nextTimer_ = 1;
    bool toolTipShown_ = false;
    std::map<uint64_t, TNotifyUI> pendingNotifies_;  // async, by sequence number
    uint64_t nextNotify_ = 1;
    int dispatchDepth_ = 0;
    std::vector<CControlUI**> watches_;
    std::vector<std::unique_ptr<CControlUI>> delayedCleanup_;
};

}  // namespace halvorn::ui
