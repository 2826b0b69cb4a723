#include "platform/ui/control.h"

#include "platform/ui/paint_manager.h"

namespace halvorn::ui {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (manager_) manager_->ReapObjects(this);
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    (void)init;  // names and DoInit are the manager's part (InitControls)
    if (manager_ && manager_ != manager) manager_->ReapObjects(this);
    manager_ = manager;
    parent_ = parent;
}

void CControlUI::Init() {
    if (initDone_) return;
    initDone_ = true;
    DoInit();
}

CControlUI* CControlUI::FindControl(const std::function<bool(CControlUI*)>& match, unsigned flags) {
    if ((flags & find::kVisible) && !IsVisible()) return nullptr;
    if ((flags & find::kEnabled) && !IsEnabled()) return nullptr;
    if ((flags & find::kHitTest) && !IsMouseEnabled()) return nullptr;
    return match(this) ? this : nullptr;
}

CControlUI* CControlUI::FindSubControl(std::string_view name) {
    if (name.empty()) return nullptr;
    return FindControl([name](CControlUI* c) { return c->GetName() == name; });
}

void CControlUI::SetName(std::string_view name) {
    if (name == name_) return;
    std::string old = std::move(name_);
    name_ = std::string(name);
    if (manager_) manager_->NameChanged(this, old);
}

std::string CControlUI::GetText() const {
    if (resourceText_ && manager_) return manager_->Context().Language().Text(text_);
    return text_;
}

void CControlUI::SetText(std::string_view text) {
    if (text == text_) return;
    text_ = std::string(text);
    Invalidate();
}

void CControlUI::SetResourceText(bool on) {
    if (on == resourceText_) return;
    resourceText_ = on;
    Invalidate();
}

std::string CControlUI::GetToolTip() const {
    if (resourceText_ && manager_ && !toolTip_.empty()) {
        return manager_->Context().Language().Text(toolTip_);
    }
    return toolTip_;
}

void CControlUI::SetToolTip(std::string_view text) { toolTip_ = std::string(text); }

void CControlUI::SetVisible(bool visible) {
    if (visible == visible_) return;
    const bool was = IsVisible();
    visible_ = visible;
    if (was == IsVisible()) return;
    if (!IsVisible() && manager_ && focused_) manager_->SetFocus(nullptr);
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    if (visible == internVisible_) return;
    const bool was = IsVisible();
    internVisible_ = visible;
    if (was == IsVisible()) return;
    if (!IsVisible() && manager_ && focused_) manager_->SetFocus(nullptr);
    if (IsVisible()) updateNeeded_ = true;  // its size may have changed meanwhile
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (!enabled_ && manager_ && focused_) manager_->SetFocus(nullptr);
    Invalidate();
}

void CControlUI::SetFocus() {
    if (manager_) manager_->SetFocus(this);
}

void CControlUI::SetPos(const Rect& rect, bool needInvalidate) {
    Rect r = rect;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    updateNeeded_ = false;
    if (r == pos_) return;
    if (needInvalidate) Invalidate();
    pos_ = r;
    if (needInvalidate) Invalidate();
}

int CControlUI::Scaled(int value) const { return manager_ ? manager_->Scale(value) : value; }

Size CControlUI::Scaled(Size size) const { return {Scaled(size.cx), Scaled(size.cy)}; }

Rect CControlUI::Scaled(const Rect& rect) const {
    return {Scaled(rect.left), Scaled(rect.top), Scaled(rect.right), Scaled(rect.bottom)};
}

Size CControlUI::EstimateSize(Size available) {
    (void)available;
    return Scaled(fixedSize_);
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0 || cx == fixedSize_.cx) return;
    fixedSize_.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0 || cy == fixedSize_.cy) return;
    fixedSize_.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetPadding(const Rect& padding) {
    if (padding == padding_) return;
    padding_ = padding;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(Color color) {
    if (color == bkColor_) return;
    bkColor_ = color;
    Invalidate();
}

void CControlUI::SetBkColor2(Color color) {
    if (color == bkColor2_) return;
    bkColor2_ = color;
    Invalidate();
}

void CControlUI::SetBkImage(std::string_view image) {
    if (image == bkImage_) return;
    bkImage_ = std::string(image);
    Invalidate();
}

void CControlUI::DoEvent(UIEvent& event) {
    switch (event.type) {
        case UIEventType::MouseEnter:
            hot_ = true;
            Invalidate();
            if (IsEnabled()) Notify(notify_type::kMouseEnter);
            return;
        case UIEventType::MouseLeave:
            hot_ = false;
            Invalidate();
            if (IsEnabled()) Notify(notify_type::kMouseLeave);
            return;
        case UIEventType::SetFocus:
        case UIEventType::KillFocus:
            Invalidate();
            return;
        case UIEventType::Timer:
            Notify(notify_type::kTimer, event.timerId);
            return;
        case UIEventType::ContextMenu:
            if (ParseBool(GetAttribute("menu"))) {
                Notify(notify_type::kMenu, event.point.x, event.point.y);
                return;
            }
            break;
        default:
            break;
    }
    if (parent_) parent_->DoEvent(event);
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::OnNotify(TNotifyUI& msg) {
    // By index, on a copy: a handler may add handlers.
    for (size_t i = 0; i < notifyHandlers_.size(); ++i) {
        auto handler = notifyHandlers_[i];
        handler(msg);
    }
}

void CControlUI::AddNotifyHandler(std::function<void(TNotifyUI&)> handler) {
    if (handler) notifyHandlers_.push_back(std::move(handler));
}

void CControlUI::DoPaint(Canvas& canvas, const Rect& dirty) {
    if (pos_.Intersected(dirty).Empty()) return;
    PaintBkColor(canvas);
    PaintBkImage(canvas);
    PaintStatusImage(canvas);
    PaintText(canvas);
    PaintBorder(canvas);
}

void CControlUI::PaintBkColor(Canvas& canvas) {
    if (bkColor_ == 0) return;
    if (bkColor2_ != 0) {
        canvas.FillGradient(pos_, bkColor_, bkColor2_);
    } else if (borderRound_.cx > 0 || borderRound_.cy > 0) {
        canvas.FillRoundRect(pos_, Scaled(borderRound_), bkColor_);
    } else {
        canvas.FillRect(pos_, bkColor_);
    }
}

void CControlUI::PaintBkImage(Canvas& canvas) {
    if (!bkImage_.empty()) DrawImage(canvas, bkImage_);
}

void CControlUI::PaintBorder(Canvas& canvas) {
    if (borderSize_ <= 0 || borderColor_ == 0) return;
    canvas.DrawBorder(pos_, Scaled(borderSize_), borderColor_, Scaled(borderRound_));
}

bool CControlUI::DrawImage(Canvas& canvas, std::string_view imageString) {
    const std::optional<ImageSpec> image = ParseImageString(imageString);
    if (!image) return false;
    const double scale = manager_ ? manager_->GetDpi() / 96.0 : 1.0;
    const Rect dest = ImageDestination(*image, pos_, scale);
    if (dest.Empty()) return false;
    return canvas.DrawImage(dest, *image);
}

void CControlUI::Invalidate() {
    if (!IsVisible() || !manager_ || pos_.Empty()) return;
    manager_->Invalidate(pos_);
}

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    updateNeeded_ = true;
    Invalidate();
    if (manager_) manager_->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (parent_) {
        parent_->NeedUpdate();
        parent_->Invalidate();
    } else {
        NeedUpdate();
    }
    if (manager_) manager_->NeedUpdate();
}

bool CControlUI::SetTimer(int id, int elapseMs) {
    return manager_ && manager_->SetTimer(this, id, elapseMs);
}

void CControlUI::KillTimer(int id) {
    if (manager_) manager_->KillTimer(this, id);
}

void CControlUI::Notify(std::string_view type, intptr_t wParam, intptr_t lParam) {
    if (manager_) manager_->SendNotify(this, type, wParam, lParam);
}

}  // namespace halvorn::ui
