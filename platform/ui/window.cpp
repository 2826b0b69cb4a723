#include "platform/ui/window.h"

#include <utility>

#include "platform/trace/trace.h"
#include "platform/ui/menu.h"
#include "platform/ui/tray_icon.h"

namespace halvorn::ui {

std::unique_ptr<IMenuView> IWindowSystem::ShowMenu(CMenuWnd& menu, IWindowFrame* owner, Point at,
                                                   unsigned align) {
    (void)menu, (void)owner, (void)at, (void)align;
    return nullptr;
}

std::unique_ptr<ITrayIcon> IWindowSystem::CreateTrayIcon(loop::MessageLoop& loop,
                                                         loop::TargetId owner,
                                                         const TrayIconSpec& trayIcon) {
    (void)loop, (void)owner, (void)trayIcon;
    return nullptr;
}

WindowImplBase::WindowImplBase(UiContext& context, loop::MessageLoop& loop, IWindowSystem& system)
    : context_(context), loop_(loop), system_(system), manager_(context, loop) {}

WindowImplBase::~WindowImplBase() {
    if (id_ != 0) loop_.RemoveTarget(id_);
    if (frame_) {
        manager_.SetHost(nullptr);
        frame_.reset();
    }
    if (notifierAdded_) manager_.RemoveNotifier(this);
}

bool WindowImplBase::Create(WindowImplBase* owner, std::string_view title) {
    if (frame_ || destroyed_) {
        createError_ = "the window was made already";
        return false;
    }
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(GetSkinFile(), this, manager_);
    if (!root) {
        createError_ = builder.Error().empty() ? "the layout is empty" : builder.Error();
        Trace("window " + GetWindowClassName() + ": " + createError_);
        return false;
    }
    createError_.clear();
    manager_.AttachDialog(std::move(root));
    manager_.AddNotifier(this);
    notifierAdded_ = true;
    id_ = loop_.AddTarget(this);
    owner_ = owner;

    // The frame reports sizes while it is made and sized; they wait until
    // InitWindow has run, so that "windowinit" always comes after it.
    creating_ = true;
    frame_ = system_.CreateFrame(*this, owner != nullptr ? owner->Frame() : nullptr);
    manager_.SetHost(frame_.get());
    frame_->SetTitle(title);
    const Size init = manager_.GetInitSize();
    if (init.cx > 0 && init.cy > 0) frame_->Resize(init);
    InitWindow();
    creating_ = false;
    if (!destroyed_) manager_.SetClientSize(frame_->ClientSize());
    return true;
}

bool WindowImplBase::IsFrameless() const { return manager_.GetCaptionRect() != Rect{}; }

void WindowImplBase::Notify(TNotifyUI& msg) { pump_.LoopDispatch(msg); }

intptr_t WindowImplBase::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                             bool& handled) {
    (void)message, (void)wParam, (void)lParam;
    handled = false;
    return 0;
}

std::unique_ptr<CControlUI> WindowImplBase::CreateControl(std::string_view className) {
    (void)className;
    return nullptr;
}

void WindowImplBase::ShowWindow(bool show, bool activate) {
    if (frame_ && !destroyed_) frame_->Show(show, activate);
}

bool WindowImplBase::IsVisible() const { return frame_ && !destroyed_ && frame_->IsShown(); }

void WindowImplBase::CenterWindow() {
    if (frame_ && !destroyed_) frame_->Center();
}

void WindowImplBase::ResizeClient(Size unscaled) {
    if (frame_ && !destroyed_)
        frame_->Resize({context_.Scale(unscaled.cx), context_.Scale(unscaled.cy)});
}

void WindowImplBase::Close(int result) {
    if (!frame_ || destroyed_) return;
    if (modal_) {
        frame_->EndModal(result);  // ShowModal destroys the window when the run ends
        return;
    }
    DestroyWindow();
}

int WindowImplBase::ShowModal() {
    if (!frame_ || destroyed_ || modal_) return -1;
    modal_ = true;
    const int result = frame_->RunModal();
    modal_ = false;
    DestroyWindow();
    return result;
}

void WindowImplBase::DestroyWindow() {
    if (destroyed_) return;
    destroyed_ = true;
    frame_->Show(false, false);
    bool handled = false;
    HandleCustomMessage(window_message::kDestroy, 0, 0, handled);
    if (id_ != 0) {
        loop_.RemoveTarget(id_);  // later posts and timers are dropped
        id_ = 0;
    }
    frame_->Destroy();
    OnFinalMessage();
}

bool WindowImplBase::PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return id_ != 0 && loop_.Post(id_, message, wParam, lParam);
}

intptr_t WindowImplBase::SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (id_ == 0) return 0;
    return loop_.Send(id_, message, wParam, lParam).value_or(0);
}

bool WindowImplBase::SetTimer(int id, int elapseMs) {
    return id_ != 0 && loop_.SetTimer(id_, id, std::chrono::milliseconds(elapseMs));
}

void WindowImplBase::KillTimer(int id) {
    if (id_ != 0) loop_.KillTimer(id_, id);
}

intptr_t WindowImplBase::QueueMenuClick(MenuCmd record) {
    const intptr_t key = nextMenuClick_++;
    menuClicks_.emplace(key, std::make_unique<MenuCmd>(std::move(record)));
    return key;
}

std::unique_ptr<MenuCmd> WindowImplBase::TakeMenuClick(intptr_t key) {
    auto found = menuClicks_.find(key);
    if (found == menuClicks_.end()) return nullptr;
    std::unique_ptr<MenuCmd> record = std::move(found->second);
    menuClicks_.erase(found);
    return record;
}

void WindowImplBase::OnFrameResized(Size size) {
    if (creating_ || destroyed_) return;
    manager_.SetClientSize(size);
}

intptr_t WindowImplBase::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (destroyed_) return 0;
    if (message == loop::kTimerMessage) {
        OnTimer(static_cast<int>(wParam));
        return 0;
    }
    bool handled = false;
    const intptr_t result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) return result;
    switch (message) {
        case window_message::kClose:
            Close(0);
            break;
        case window_message::kMenuClick:
            TakeMenuClick(lParam);  // nobody wanted it: release the record
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace halvorn::ui
