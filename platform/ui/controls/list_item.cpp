#include "platform/ui/controls/list_item.h"

#include <algorithm>

#include "platform/ui/controls/paint_util.h"
#include "platform/ui/notify.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

bool ListInfo::SetAttribute(std::string_view name, std::string_view value) {
    if (name.substr(0, 4) != "item") return false;
    std::string_view key = name.substr(4);
    if (key == "font") {
        font = ParseInt(value, -1);
    } else if (key == "align" || key == "valign") {
        align = ParseAlign(value, align);
    } else if (key == "endellipsis") {
        align =
            ParseBool(value) ? align | text_align::kEndEllipsis : align & ~text_align::kEndEllipsis;
    } else if (key == "textpadding") {
        textPadding = ParseRect(value);
    } else if (key == "textcolor") {
        textColor = ParseColor(value);
    } else if (key == "bkcolor") {
        bkColor = ParseColor(value);
    } else if (key == "bkimage") {
        bkImage = std::string(value);
    } else if (key == "selectedtextcolor") {
        selectedTextColor = ParseColor(value);
    } else if (key == "selectedbkcolor") {
        selectedBkColor = ParseColor(value);
    } else if (key == "selectedimage") {
        selectedImage = std::string(value);
    } else if (key == "hottextcolor") {
        hotTextColor = ParseColor(value);
    } else if (key == "hotbkcolor") {
        hotBkColor = ParseColor(value);
    } else if (key == "hotimage") {
        hotImage = std::string(value);
    } else if (key == "disabledtextcolor") {
        disabledTextColor = ParseColor(value);
    } else if (key == "disabledbkcolor") {
        disabledBkColor = ParseColor(value);
    } else if (key == "disabledimage") {
        disabledImage = std::string(value);
    } else if (key == "linecolor") {
        lineColor = ParseColor(value);
    } else if (key == "showhtml") {
        showHtml = ParseBool(value);
    } else {
        return false;
    }
    return true;
}

namespace {

const ListInfo& InfoOf(const CControlUI& self) {
    static const ListInfo kDefault;
    IListOwnerUI* owner = ListOwnerOf(self);
    return owner != nullptr ? owner->GetListInfo() : kDefault;
}

}  // namespace

IListOwnerUI* ListOwnerOf(const CControlUI& self) {
    return dynamic_cast<IListOwnerUI*>(self.GetParent());
}

int ListIndexOf(const CControlUI& self) {
    auto* parent = dynamic_cast<const CContainerUI*>(self.GetParent());
    return parent != nullptr ? parent->GetItemIndex(&self) : -1;
}

bool HandleListItemEvent(CControlUI& self, UIEvent& event) {
    IListOwnerUI* owner = ListOwnerOf(self);
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::RightButtonDown:
            if (self.IsEnabled()) {
                if (self.GetManager() != nullptr) {
                    self.GetManager()->SendNotify(&self, notify_type::kItemClick);
                }
                if (owner != nullptr) owner->SelectItem(ListIndexOf(self), true);
                self.Invalidate();
            }
            return true;
        case UIEventType::DoubleClick:
            if (self.IsEnabled()) self.Activate();
            return true;
        case UIEventType::KeyDown:
            if (event.key == key::kReturn) {
                if (self.IsEnabled()) self.Activate();
                return true;
            }
            if (owner != nullptr) {
                owner->DoItemEvent(event);
                return true;
            }
            return false;
        case UIEventType::ScrollWheel:
            if (owner != nullptr) {
                owner->DoItemEvent(event);
                return true;
            }
            return false;
        default:
            return false;
    }
}

void PaintListItemBk(Canvas& canvas, const CControlUI& self, bool selected) {
    const ListInfo& info = InfoOf(self);
    const bool enabled = self.IsEnabled();
    Color color = !enabled       ? info.disabledBkColor
                  : selected     ? info.selectedBkColor
                  : self.IsHot() ? info.hotBkColor
                                 : info.bkColor;
    if (color != 0) canvas.FillRect(self.GetPos(), color);
    const std::string& state = !enabled       ? info.disabledImage
                               : selected     ? info.selectedImage
                               : self.IsHot() ? info.hotImage
                                              : info.bkImage;
    const std::string& image = state.empty() ? info.bkImage : state;
    if (!image.empty()) DrawImageIn(canvas, self, image, self.GetPos());
    if (info.lineColor != 0) {
        const Rect& r = self.GetPos();
        canvas.DrawLine({r.left, r.bottom - 1}, {r.right, r.bottom - 1}, 1, info.lineColor);
    }
}

Color ListItemTextColor(const CControlUI& self, bool selected) {
    const ListInfo& info = InfoOf(self);
    if (!self.IsEnabled()) return info.disabledTextColor;
    if (selected) return info.selectedTextColor;
    if (self.IsHot()) return info.hotTextColor;
    return info.textColor;
}

bool IsSelectableItem(const CContainerUI& owner, const CControlUI* item) {
    return dynamic_cast<const IListItemUI*>(item) != nullptr && item->IsEnabled() &&
           (item->IsVisible() || !owner.IsVisible());
}

int FindSelectableItem(const CContainerUI& owner, int start, bool forward) {
    const int count = owner.GetCount();
    if (count == 0) return -1;
    start = std::clamp(start, 0, count - 1);
    auto selectable = [&](int i) { return IsSelectableItem(owner, owner.GetItemAt(i)); };
    const int step = forward ? 1 : -1;
    for (int i = start; i >= 0 && i < count; i += step) {
        if (selectable(i)) return i;
    }
    for (int i = start - step; i >= 0 && i < count; i -= step) {
        if (selectable(i)) return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// CListLabelElementUI

CListLabelElementUI::CListLabelElementUI() { SetFixedHeight(30); }

void CListLabelElementUI::DoPaint(Canvas& canvas, const Rect& dirty) {
    if (GetPos().Intersected(dirty).Empty()) return;
    PaintListItemBk(canvas, *this, selected_);
    std::string text = GetText();
    if (!text.empty()) {
        const ListInfo& info = InfoOf(*this);
        Rect r = GetPos().Deflated(Scaled(info.textPadding));
        canvas.DrawText(r, text, FontOf(*this, info.font), ListItemTextColor(*this, selected_),
                        info.align);
    }
    PaintBorder(canvas);
}

// ---------------------------------------------------------------------------
// CListContainerElementUI

void CListContainerElementUI::DoPaint(Canvas& canvas, const Rect& dirty) {
    if (GetPos().Intersected(dirty).Empty()) return;
    PaintListItemBk(canvas, *this, selected_);
    CHorizontalLayoutUI::DoPaint(canvas, dirty);
}

}  // namespace halvorn::ui
