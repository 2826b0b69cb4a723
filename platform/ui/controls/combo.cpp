#include "platform/ui/controls/combo.h"

#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {
namespace {

constexpr uint32_t kKeyF4 = 0x73;
constexpr int kArrowWidth = 16;  // room kept for the drawn arrow, skin pixels

}  // namespace

int CComboUI::GetCurSel() const {
    for (int i = 0; i < GetCount(); ++i) {
        auto* item = dynamic_cast<IListItemUI*>(GetItemAt(i));
        if (item != nullptr && item->IsSelected()) return i;
    }
    return -1;
}

void CComboUI::ShowItems() {
    // Items added while the box was hidden come in hidden by the container:
    // their visibility is their own here.
    for (auto& item : items_) item->SetInternVisible(true);
}

bool CComboUI::SelectItem(int index, bool notify) {
    ShowItems();
    const int old = GetCurSel();
    if (index == old) return true;
    if (index >= 0) {
        if (GetCount() == 0) return false;
        index = std::min(index, GetCount() - 1);
        if (index == old) return true;
        if (!IsSelectableItem(*this, GetItemAt(index))) return false;
    }
    for (int i = 0; i < GetCount(); ++i) {
        if (auto* item = dynamic_cast<IListItemUI*>(GetItemAt(i))) {
            item->SetSelectedState(i == index);
        }
    }
    Invalidate();
    if (index >= 0 && notify) Notify(notify_type::kItemSelect, index, old);
    return true;
}

std::string CComboUI::GetText() const {
    int cur = GetCurSel();
    return cur >= 0 ? GetItemAt(cur)->GetText() : std::string();
}

bool CComboUI::DropDown() {
    if (droppedDown_ || !IsVisible() || !IsEnabled()) return false;
    ShowItems();
    droppedDown_ = true;
    Invalidate();
    Notify(notify_type::kDropDown);
    return true;
}

void CComboUI::CloseDropDown() {
    if (!droppedDown_) return;
    droppedDown_ = false;
    Invalidate();
}

bool CComboUI::PickFromDropDown(int index) {
    bool picked = SelectItem(index, true);
    CloseDropDown();
    return picked;
}

void CComboUI::SelectStep(bool forward) {
    ShowItems();
    int cur = GetCurSel();
    int next = FindSelectableItem(*this, cur + (forward ? 1 : -1), forward);
    if (next >= 0) SelectItem(next, true);
}

void CComboUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CContainerUI::SetAttribute(name, value);
    if (images_.SetAttribute(name, value) || info_.SetAttribute(name, value)) {
        Invalidate();
    } else if (name == "arrowimage") {
        arrowImage_ = std::string(value);
    } else if (name == "dropboxsize") {
        dropBoxSize_ = ParseSize(value);
    } else if (name == "scrollselect") {
        scrollSelect_ = ParseBool(value);
    }
}

bool CComboUI::Activate() {
    if (!CContainerUI::Activate()) return false;
    if (droppedDown_) {
        CloseDropDown();
    } else {
        DropDown();
    }
    return true;
}

void CComboUI::DoEvent(UIEvent& event) {
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::DoubleClick:
            if (IsEnabled() && GetPos().Contains(event.point)) {
                pushed_ = true;
                Activate();
            }
            return;
        case UIEventType::ButtonUp:
            if (pushed_) {
                pushed_ = false;
                Invalidate();
            }
            return;
        case UIEventType::ScrollWheel:
            if (IsEnabled() && scrollSelect_ && !droppedDown_) SelectStep(event.wheelDelta < 0);
            return;
        case UIEventType::KeyDown:
            if (!IsEnabled()) break;
            if (event.key == kKeyF4 || event.key == U' ' ||
                ((event.modifiers & modifier::kAlt) &&
                 (event.key == key::kDown || event.key == key::kUp))) {
                Activate();
                return;
            }
            if (event.key == key::kEscape || event.key == key::kReturn) {
                CloseDropDown();
                return;
            }
            if (event.key == key::kUp || event.key == key::kDown) {
                SelectStep(event.key == key::kDown);
                return;
            }
            break;
        default:
            break;
    }
    CControlUI::DoEvent(event);
}

void CComboUI::SetPos(const Rect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    // The items live in the pop-up: nothing of them is on the box.
    for (auto& item : items_) item->SetPos(Rect{}, false);
}

void CComboUI::DoPaint(Canvas& canvas, const Rect& dirty) { CControlUI::DoPaint(canvas, dirty); }

void CComboUI::PaintStatusImage(Canvas& canvas) {
    const std::string& image =
        images_.Pick(IsEnabled(), pushed_ || droppedDown_, IsHot(), IsFocused());
    if (!image.empty()) DrawImage(canvas, image);
    if (!arrowImage_.empty()) {
        const Rect& r = GetPos();
        int w = Scaled(kArrowWidth);
        DrawImageIn(canvas, *this, arrowImage_, {r.right - w, r.top, r.right, r.bottom});
    }
}

void CComboUI::PaintText(Canvas& canvas) {
    const Rect& pos = GetPos();
    const bool ownArrow = images_.normal.empty() && arrowImage_.empty();
    Color color = IsEnabled() ? ColorOr(GetTextColor(), info_.textColor)
                              : ColorOr(GetDisabledTextColor(), info_.disabledTextColor);
    Rect textRect = pos.Deflated(Scaled(GetTextPadding())).Deflated(Scaled(info_.textPadding));
    if (ownArrow || !arrowImage_.empty()) textRect.right -= Scaled(kArrowWidth);
    std::string text = GetText();
    if (!text.empty()) {
        int font = GetFont() != -1 ? GetFont() : info_.font;
        canvas.DrawText(textRect, text, FontOf(*this, font), color,
                        info_.align | text_align::kSingleLine | text_align::kEndEllipsis);
    }
    if (ownArrow) {
        // A plain chevron when the skin draws no arrow of its own.
        int half = Scaled(4);
        int cx = pos.right - Scaled(kArrowWidth) / 2;
        int cy = (pos.top + pos.bottom) / 2;
        int w = std::max(1, Scaled(1));
        canvas.DrawLine({cx - half, cy - half / 2}, {cx, cy + half / 2}, w, color);
        canvas.DrawLine({cx, cy + half / 2}, {cx + half, cy - half / 2}, w, color);
    }
}

void CComboUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (!visible) CloseDropDown();
}

void CComboUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    if (!visible) CloseDropDown();
}

void CComboUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) CloseDropDown();
}

}  // namespace halvorn::ui
