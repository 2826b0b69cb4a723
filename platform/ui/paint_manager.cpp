#include "platform/ui/paint_manager.h"

#include <algorithm>

#include "platform/ui/ui_text.h"

namespace halvorn::ui {

namespace {

// Loop timer id of the tooltip delay; control timers get ids below it.
constexpr int kToolTipTimer = 0x7FFF0000;

// Layout passes per Layout call: a pass may ask for another (an
// auto-sized label growing), but never forever.
constexpr int kMaxLayoutPasses = 4;

}  // namespace

CPaintManagerUI::DispatchScope::DispatchScope(CPaintManagerUI& manager) : manager_(manager) {
    ++manager_.dispatchDepth_;
}

CPaintManagerUI::DispatchScope::~DispatchScope() {
    if (--manager_.dispatchDepth_ > 0) return;
    // Destroying may remove more (a destructor taking its own children out).
    while (!manager_.delayedCleanup_.empty()) {
        std::vector<std::unique_ptr<CControlUI>> doomed = std::move(manager_.delayedCleanup_);
        manager_.delayedCleanup_.clear();
        doomed.clear();
    }
}

CPaintManagerUI::Watch::Watch(CPaintManagerUI& manager, CControlUI* control)
    : manager_(manager), control_(control) {
    manager_.watches_.push_back(&control_);
}

CPaintManagerUI::Watch::~Watch() { std::erase(manager_.watches_, &control_); }

// ---------------------------------------------------------------------------

CPaintManagerUI::CPaintManagerUI(UiContext& context, loop::MessageLoop& loop)
    : context_(context), loop_(loop) {
    id_ = loop_.AddTarget(this);
    context_.AddManager(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    host_ = nullptr;  // the window may be half gone
    if (root_) root_->SetManager(nullptr, nullptr, false);
    root_.reset();
    delayedCleanup_.clear();
    for (const auto& [loopId, entry] : timers_) loop_.KillTimer(id_, loopId);
    loop_.KillTimer(id_, kToolTipTimer);
    loop_.RemoveTarget(id_);
    context_.RemoveManager(this);
}

bool CPaintManagerUI::InTree(const CControlUI* control) const {
    return control != nullptr && control->GetManager() == this;
}

// ---------------------------------------------------------------------------
// The tree and its names.

void CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    DispatchScope scope(*this);
    if (root_) {
        root_->SetManager(nullptr, nullptr, false);
        DelayedCleanup(std::move(root_));
    }
    root_ = std::move(root);
    initSent_ = false;
    needUpdate_ = true;
    if (root_) {
        InitControls(root_.get(), nullptr);
        root_->NeedUpdate();
    }
}

void CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (!control) return;
    DispatchScope scope(*this);
    control->SetManager(this, parent, true);
    std::vector<CControlUI*> subtree;
    control->FindControl([&](CControlUI* c) {
        subtree.push_back(c);
        return false;
    });
    for (CControlUI* c : subtree) RegisterName(c);
    // DoInit may add or remove controls: removed ones stay alive (scope)
    // but are no longer in the tree.
    for (CControlUI* c : subtree) {
        if (InTree(c)) c->Init();
    }
}

void CPaintManagerUI::RegisterName(CControlUI* control) {
    const std::string& name = control->GetName();
    if (name.empty()) return;
    auto [first, last] = names_.equal_range(name);
    for (auto it = first; it != last; ++it) {
        if (it->second == control) return;
    }
    names_.emplace(name, control);
}

void CPaintManagerUI::NameChanged(CControlUI* control, std::string_view oldName) {
    auto [first, last] = names_.equal_range(oldName);
    for (auto it = first; it != last; ++it) {
        if (it->second == control) {
            names_.erase(it);
            break;
        }
    }
    if (InTree(control)) RegisterName(control);
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    if (!control) return;
    if (focus_ == control) focus_ = nullptr;
    if (hot_ == control) {
        hot_ = nullptr;
        CancelToolTip();
    }
    if (pushed_ == control) {
        pushed_ = nullptr;
        if (host_) host_->SetCapture(false);
    }
    KillTimers(control);
    auto [first, last] = names_.equal_range(control->GetName());
    for (auto it = first; it != last; ++it) {
        if (it->second == control) {
            names_.erase(it);
            break;
        }
    }
    std::erase_if(pendingNotifies_,
                  [control](const auto& p) { return p.second.sender == control; });
    for (CControlUI** watched : watches_) {
        if (*watched == control) *watched = nullptr;
    }
}

void CPaintManagerUI::DelayedCleanup(std::unique_ptr<CControlUI> control) {
    if (!control) return;
    if (control->GetManager()) control->SetManager(nullptr, nullptr, false);
    if (dispatchDepth_ > 0) {
        delayedCleanup_.push_back(std::move(control));
    }
}

CControlUI* CPaintManagerUI::FindControl(std::string_view name) const {
    if (name.empty()) return nullptr;
    const auto it = names_.lower_bound(name);
    return it != names_.end() && it->first == name ? it->second : nullptr;
}

CControlUI* CPaintManagerUI::FindControl(Point point) const {
    if (!root_) return nullptr;
    return root_->FindControl([point](CControlUI* c) { return c->GetPos().Contains(point); },
                              find::kVisible | find::kEnabled | find::kHitTest | find::kTopFirst);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, std::string_view name) const {
    CControlUI* from = parent ? parent : root_.get();
    return from ? from->FindSubControl(name) : nullptr;
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* parent,
                                                                 std::string_view className) const {
    std::vector<CControlUI*> found;
    CControlUI* from = parent ? parent : root_.get();
    if (!from) return found;
    from->FindControl([&](CControlUI* c) {
        if (EqualsIgnoreCase(c->GetClass(), className)) found.push_back(c);
        return false;
    });
    return found;
}

// ---------------------------------------------------------------------------
// Notifications.

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier && std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
        notifiers_.push_back(notifier);
    }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { std::erase(notifiers_, notifier); }

void CPaintManagerUI::SendNotify(CControlUI* sender, std::string_view type, intptr_t wParam,
                                 intptr_t lParam, bool async) {
    TNotifyUI msg{std::string(type), sender, NowMs(), mouse_, wParam, lParam};
    if (!async) {
        Dispatch(msg);
        return;
    }
    // Only a sender of this tree can be forgotten when it leaves it.
    if (sender && !InTree(sender)) return;
    const uint64_t seq = nextNotify_++;
    pendingNotifies_.emplace(seq, std::move(msg));
    if (!loop_.Post(id_, kNotifyMessage, static_cast<uintptr_t>(seq), 0)) {
        pendingNotifies_.erase(seq);
    }
}

void CPaintManagerUI::Dispatch(TNotifyUI& msg) {
    DispatchScope scope(*this);
    Watch sender(*this, InTree(msg.sender) ? msg.sender : nullptr);
    if (record_) recorded_.push_back(msg);
    // A copy: a notifier may add or remove notifiers.
    const std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) continue;
        notifier->Notify(msg);
    }
    if (CControlUI* own = sender.get()) {
        msg.sender = own;
        own->OnNotify(msg);
    }
}

// ---------------------------------------------------------------------------
// Focus.

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == focus_) return;
    if (control && (!InTree(control) || !control->IsVisible() || !control->IsEnabled())) return;
    DispatchScope scope(*this);
    Watch target(*this, control);
    if (CControlUI* old = focus_) {
        Watch leaving(*this, old);
        focus_ = nullptr;
        old->SetFocusedState(false);
        UIEvent event{.type = UIEventType::KillFocus, .sender = old, .point = mouse_};
        old->DoEvent(event);
        if (leaving.get()) SendNotify(old, notify_type::kKillFocus);
        if (focus_ != nullptr) return;  // a handler moved the focus itself
    }
    control = target.get();
    if (!control || !control->IsVisible() || !control->IsEnabled()) return;
    focus_ = control;
    control->SetFocusedState(true);
    UIEvent event{.type = UIEventType::SetFocus, .sender = control, .point = mouse_};
    control->DoEvent(event);
    if (target.get() && focus_ == control) SendNotify(control, notify_type::kSetFocus);
}

// ---------------------------------------------------------------------------
// Size, layout and paint.

Size CPaintManagerUI::GetInitSize() const { return {Scale(initSize_.cx), Scale(initSize_.cy)}; }

Size CPaintManagerUI::GetMinInfo() const { return {Scale(minInfo_.cx), Scale(minInfo_.cy)}; }

Rect CPaintManagerUI::GetCaptionRect() const {
    return {Scale(caption_.left), Scale(caption_.top), Scale(caption_.right),
            Scale(caption_.bottom)};
}

std::string CPaintManagerUI::GetWindowAttribute(std::string_view name) const {
    const auto it = windowAttributes_.find(AsciiLower(name));
    return it == windowAttributes_.end() ? std::string() : it->second;
}

void CPaintManagerUI::SetWindowAttribute(std::string_view name, std::string_view value) {
    windowAttributes_[AsciiLower(name)] = std::string(value);
}

void CPaintManagerUI::SetClientSize(Size size) {
    size.cx = std::max(0, size.cx);
    size.cy = std::max(0, size.cy);
    if (size != clientSize_) {
        clientSize_ = size;
        needUpdate_ = true;
        if (root_) root_->NeedUpdate();
        Invalidate();
    }
    if (!root_) return;
    DispatchScope scope(*this);
    Layout();
    if (root_) SendNotify(root_.get(), notify_type::kWindowSize);
}

void CPaintManagerUI::Layout() {
    if (!root_) return;
    DispatchScope scope(*this);
    const Rect client{0, 0, clientSize_.cx, clientSize_.cy};
    for (int pass = 0; pass < kMaxLayoutPasses && needUpdate_ && root_; ++pass) {
        needUpdate_ = false;
        if (client.Empty()) break;
        if (root_->IsUpdateNeeded() || root_->GetPos() != client) {
            root_->SetPos(client, true);
        }
        // Whatever is still marked below (a control whose own size is
        // unchanged but whose content moved): top-down, so that a parent's
        // layout settles its children before they are looked at.
        std::vector<CControlUI*> pending;
        root_->FindControl(
            [&](CControlUI* c) {
                if (c->IsUpdateNeeded()) pending.push_back(c);
                return false;
            },
            find::kVisible);
        for (CControlUI* c : pending) {
            if (InTree(c) && c->IsUpdateNeeded()) c->SetPos(c->GetPos(), true);
        }
    }
    if (!initSent_ && root_) {
        initSent_ = true;
        SendNotify(root_.get(), notify_type::kWindowInit);
    }
}

void CPaintManagerUI::Invalidate(const Rect& rect) {
    if (host_ && !rect.Empty()) host_->Invalidate(rect);
}

void CPaintManagerUI::Invalidate() { Invalidate(Rect{0, 0, clientSize_.cx, clientSize_.cy}); }

void CPaintManagerUI::Paint(Canvas& canvas, const Rect& dirty) {
    DispatchScope scope(*this);
    Layout();
    if (root_ && root_->IsVisible()) root_->DoPaint(canvas, dirty);
}

void CPaintManagerUI::RelayoutAll() {
    CancelToolTip();
    if (!root_) return;
    needUpdate_ = true;
    root_->NeedUpdate();
    Layout();
    Invalidate();
}

void CPaintManagerUI::ReloadTexts() { RelayoutAll(); }

void CPaintManagerUI::ScaleChanged() { RelayoutAll(); }

// ---------------------------------------------------------------------------
// Timers and loop messages.

bool CPaintManagerUI::SetTimer(CControlUI* control, int id, int elapseMs) {
    if (!InTree(control)) return false;
    const auto elapse = std::chrono::milliseconds(std::max(1, elapseMs));
    for (const auto& [loopId, entry] : timers_) {
        if (entry.first == control && entry.second == id) {
            return loop_.SetTimer(id_, loopId, elapse);  // restarts it
        }
    }
    int loopId = 0;
    for (int tries = 0; tries < kToolTipTimer; ++tries) {
        if (nextTimer_ <= 0 || nextTimer_ >= kToolTipTimer) nextTimer_ = 1;
        const int candidate = nextTimer_++;
        if (!timers_.contains(candidate)) {
            loopId = candidate;
            break;
        }
    }
    if (loopId == 0 || !loop_.SetTimer(id_, loopId, elapse)) return false;
    timers_[loopId] = {control, id};
    return true;
}

void CPaintManagerUI::KillTimer(CControlUI* control, int id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.first == control && it->second.second == id) {
            loop_.KillTimer(id_, it->first);
            timers_.erase(it);
            return;
        }
    }
}

void CPaintManagerUI::KillTimers(CControlUI* control) {
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->second.first == control) {
            loop_.KillTimer(id_, it->first);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManagerUI::OnTimer(int loopId) {
    if (loopId == kToolTipTimer) {
        loop_.KillTimer(id_, kToolTipTimer);
        if (!host_ || !hot_) return;
        const std::string text = hot_->GetToolTip();
        if (text.empty()) return;
        host_->ShowToolTip(text, mouse_);
        toolTipShown_ = true;
        return;
    }
    const auto it = timers_.find(loopId);
    if (it == timers_.end()) return;
    CControlUI* control = it->second.first;
    UIEvent event{.type = UIEventType::Timer,
                  .sender = control,
                  .point = mouse_,
                  .timerId = it->second.second};
    control->DoEvent(event);
}

void CPaintManagerUI::StartToolTipTimer() {
    if (!hot_ || hot_->GetToolTip().empty()) {
        loop_.KillTimer(id_, kToolTipTimer);
        return;
    }
    loop_.SetTimer(id_, kToolTipTimer, std::chrono::milliseconds(kToolTipDelayMs));
}

void CPaintManagerUI::CancelToolTip() {
    loop_.KillTimer(id_, kToolTipTimer);
    if (!toolTipShown_) return;
    toolTipShown_ = false;
    if (host_) host_->HideToolTip();
}

intptr_t CPaintManagerUI::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    (void)lParam;
    DispatchScope scope(*this);
    if (message == loop::kTimerMessage) {
        OnTimer(static_cast<int>(wParam));
    } else if (message == kNotifyMessage) {
        const auto it = pendingNotifies_.find(static_cast<uint64_t>(wParam));
        if (it == pendingNotifies_.end()) return 0;  // its sender left the tree
        TNotifyUI msg = std::move(it->second);
        pendingNotifies_.erase(it);
        Dispatch(msg);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Fonts and default attributes.

void CPaintManagerUI::AddFont(int index, const FontSpec& font) { fonts_[index] = font; }

void CPaintManagerUI::RemoveAllFonts() { fonts_.clear(); }

FontSpec CPaintManagerUI::GetFont(int index) const {
    const auto it = fonts_.find(index);
    FontSpec font = it == fonts_.end() ? defaultFont_ : it->second;
    font.size = Scale(font.size);
    return font;
}

void CPaintManagerUI::AddDefaultAttributeList(std::string_view className, std::string_view list) {
    defaults_[AsciiLower(className)] = std::string(list);
}

const std::string* CPaintManagerUI::GetDefaultAttributeList(std::string_view className) const {
    const auto it = defaults_.find(AsciiLower(className));
    return it == defaults_.end() ? nullptr : &it->second;
}

}  // namespace halvorn::ui
