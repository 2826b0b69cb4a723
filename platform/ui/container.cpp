#include "platform/ui/container.h"

#include <algorithm>

#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

namespace {

// Pixels scrolled per wheel notch (120), before the UI scale.
constexpr int kWheelStep = 40;

}  // namespace

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == control) return static_cast<int>(i);
    }
    return -1;
}

CControlUI* CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

CControlUI* CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control) return nullptr;
    CControlUI* raw = control.get();
    index = std::clamp(index, 0, GetCount());
    items_.insert(items_.begin() + index, std::move(control));
    raw->SetInternVisible(IsVisible());
    if (manager_) {
        manager_->InitControls(raw, this);
    } else {
        raw->SetManager(nullptr, this, false);
    }
    NeedUpdate();
    return raw;
}

std::unique_ptr<CControlUI> CContainerUI::Take(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return nullptr;
    std::unique_ptr<CControlUI> taken = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    taken->SetManager(nullptr, nullptr, false);
    NeedUpdate();
    Invalidate();
    return taken;
}

bool CContainerUI::Remove(CControlUI* control) {
    std::unique_ptr<CControlUI> taken = Take(control);
    if (!taken) return false;
    if (manager_) manager_->DelayedCleanup(std::move(taken));
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<std::unique_ptr<CControlUI>> items = std::move(items_);
    items_.clear();
    for (auto& item : items) {
        item->SetManager(nullptr, nullptr, false);
        if (manager_) manager_->DelayedCleanup(std::move(item));
    }
    scrollPos_ = 0;
    scrollRange_ = 0;
    NeedUpdate();
    Invalidate();
}

void CContainerUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, std::max(0, scrollRange_));
    if (pos == scrollPos_) return;
    scrollPos_ = pos;
    SetPos(GetPos(), true);
    Invalidate();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, init);
    for (auto& item : items_) item->SetManager(manager, this, init);
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (auto& item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    for (auto& item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (enabled || !manager_) return;
    // The focus may sit below: a disabled subtree takes no keys.
    for (CControlUI* c = manager_->GetFocus(); c; c = c->GetParent()) {
        if (c == this) {
            manager_->SetFocus(nullptr);
            break;
        }
    }
}

CControlUI* CContainerUI::FindControl(const std::function<bool(CControlUI*)>& match,
                                      unsigned flags) {
    if ((flags & find::kVisible) && !IsVisible()) return nullptr;
    if ((flags & find::kEnabled) && !IsEnabled()) return nullptr;
    const bool topFirst = (flags & find::kTopFirst) != 0;
    auto searchChildren = [&](bool floats) -> CControlUI* {
        const int n = GetCount();
        for (int k = 0; k < n; ++k) {
            CControlUI* child = items_[static_cast<size_t>(topFirst ? n - 1 - k : k)].get();
            if (child->IsFloat() != floats) continue;
            if (CControlUI* found = child->FindControl(match, flags)) return found;
        }
        return nullptr;
    };
    if (flags & find::kHitTest) {
        // Children lie within this container (they are clipped to it), and
        // float children are painted over the others.
        if (!match(this)) return nullptr;
        if (CControlUI* found = searchChildren(true)) return found;
        if (CControlUI* found = searchChildren(false)) return found;
        return IsMouseEnabled() ? this : nullptr;
    }
    if (match(this)) return this;
    // Tree order, or painting order reversed.
    if (topFirst) {
        if (CControlUI* found = searchChildren(true)) return found;
        return searchChildren(false);
    }
    for (auto& item : items_) {
        if (CControlUI* found = item->FindControl(match, flags)) return found;
    }
    return nullptr;
}

Rect CContainerUI::InnerRect() const { return GetPos().Deflated(Scaled(inset_)); }

void CContainerUI::SetFloatPos(CControlUI* child) const {
    const Rect& fp = child->GetFloatPos();
    const Rect& pos = GetPos();
    const int width = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : fp.right - fp.left;
    const int height = child->GetFixedHeight() > 0 ? child->GetFixedHeight() : fp.bottom - fp.top;
    const int left = pos.left + Scaled(fp.left);
    const int top = pos.top + Scaled(fp.top);
    child->SetPos({left, top, left + Scaled(width), top + Scaled(height)});
}

void CContainerUI::SetPos(const Rect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    const Rect inner = InnerRect();
    for (auto& item : items_) {
        CControlUI* child = item.get();
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(child);
            continue;
        }
        Rect r = inner.Deflated(Scaled(child->GetPadding()));
        r.top -= scrollPos_;
        r.bottom -= scrollPos_;
        child->SetPos(r, needInvalidate);
    }
}

void CContainerUI::SetAttribute(std::string_view name, std::string_view value) {
    CControlUI::SetAttribute(name, value);
    const std::string key = AsciiLower(name);
    if (key == "inset") {
        SetInset(ParseRect(value));
    } else if (key == "childpadding") {
        SetChildPadding(ParseInt(value));
    }
}

void CContainerUI::DoEvent(UIEvent& event) {
    if (event.type == UIEventType::ScrollWheel && scrollRange_ > 0) {
        SetScrollPos(scrollPos_ - event.wheelDelta * Scaled(kWheelStep) / 120);
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::DoPaint(Canvas& canvas, const Rect& dirty) {
    const Rect area = GetPos().Intersected(dirty);
    if (area.Empty()) return;
    canvas.PushClip(area);
    CControlUI::DoPaint(canvas, dirty);
    auto paintChildren = [&](bool floats) {
        for (auto& item : items_) {
            CControlUI* child = item.get();
            if (child->IsFloat() != floats || !child->IsVisible()) continue;
            if (child->GetPos().Intersected(dirty).Empty()) continue;
            child->DoPaint(canvas, dirty);
        }
    };
    // The others stay inside the inset (scrolled content too); floats may
    // use the whole container.
    const Rect inner = InnerRect().Intersected(area);
    if (!inner.Empty()) {
        canvas.PushClip(inner);
        paintChildren(false);
        canvas.PopClip();
    }
    paintChildren(true);
    canvas.PopClip();
}

}  // namespace halvorn::ui
