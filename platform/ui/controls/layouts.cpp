#include "platform/ui/controls/layouts.h"

#include <algorithm>
#include <vector>

#include "platform/ui/controls/paint_util.h"
#include "platform/ui/notify.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {
namespace {

constexpr int kScrollBarWidth = 4;  // the indicator drawn over the right edge
constexpr Color kScrollBarColor = 0x80909090;

struct AxisItem {
    int size = 0;  // 0: shares what is left
    int min = 0;
    int max = 0;
};

// Sizes along the stack for `space` pixels (after paddings and gaps). Fixed
// items keep their size within their limits; the others share the rest
// equally, a share outside an item's limits being fixed at the limit and the
// rest shared again.
std::vector<int> Distribute(const std::vector<AxisItem>& items, int space) {
    std::vector<int> out(items.size(), 0);
    std::vector<size_t> pool;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].size != 0) {
            out[i] = std::clamp(items[i].size, items[i].min, std::max(items[i].min, items[i].max));
            space -= out[i];
        } else {
            pool.push_back(i);
        }
    }
    while (!pool.empty()) {
        int n = static_cast<int>(pool.size());
        int share = std::max(0, space) / n;
        auto fixAt = [&](auto violates, auto limit) {
            bool any = false;
            for (auto it = pool.begin(); it != pool.end();) {
                if (violates(items[*it], share)) {
                    out[*it] = limit(items[*it]);
                    space -= out[*it];
                    it = pool.erase(it);
                    any = true;
                } else {
                    ++it;
                }
            }
            return any;
        };
        if (fixAt([](const AxisItem& a, int s) { return s < a.min; },
                  [](const AxisItem& a) { return a.min; })) {
            continue;
        }
        if (fixAt([](const AxisItem& a, int s) { return s > a.max; },
                  [](const AxisItem& a) { return std::max(a.min, a.max); })) {
            continue;
        }
        int rest = std::max(0, space) - share * n;
        for (size_t k = 0; k < pool.size(); ++k) out[pool[k]] = share;
        const AxisItem& last = items[pool.back()];
        out[pool.back()] = std::min(share + rest, std::max(last.min, last.max));
        break;
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// CLinearLayoutUI

void CLinearLayoutUI::SetAutoCalcWidth(bool on) {
    autoWidth_ = on;
    NeedParentUpdate();
}

void CLinearLayoutUI::SetAutoCalcHeight(bool on) {
    autoHeight_ = on;
    NeedParentUpdate();
}

void CLinearLayoutUI::SetChildAlign(unsigned align) {
    childAlign_ = align;
    NeedUpdate();
}

void CLinearLayoutUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CContainerUI::SetAttribute(name, value);
    if (name == "autocalcwidth") {
        SetAutoCalcWidth(ParseBool(value));
    } else if (name == "autocalcheight") {
        SetAutoCalcHeight(ParseBool(value));
    } else if (name == "childalign" && vertical_) {
        SetChildAlign(ParseAlign(AsciiLower(value), 0));
    } else if (name == "childvalign" && !vertical_) {
        const std::string words = AsciiLower(TrimSpace(value));
        SetChildAlign(ParseAlign(words == "center" ? "vcenter" : words, 0));
    }
}

void CLinearLayoutUI::SetPos(const Rect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    const Rect inner = InnerRect();
    const int gap = Scaled(GetChildPadding());

    struct Placed {
        CControlUI* control;
        Rect padding;
        Size estimate;
    };
    std::vector<Placed> placed;
    std::vector<AxisItem> axis;
    int paddings = 0;
    for (auto& item : items_) {
        CControlUI* child = item.get();
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(child);
            continue;
        }
        Rect pad = child->Scaled(child->GetPadding());
        Size est = child->EstimateSize({inner.Width(), inner.Height()});
        if (vertical_) {
            axis.push_back({est.cy, child->Scaled(child->GetMinHeight()),
                            child->Scaled(child->GetMaxHeight())});
            paddings += pad.top + pad.bottom;
        } else {
            axis.push_back(
                {est.cx, child->Scaled(child->GetMinWidth()), child->Scaled(child->GetMaxWidth())});
            paddings += pad.left + pad.right;
        }
        placed.push_back({child, pad, est});
    }
    const int n = static_cast<int>(placed.size());
    const int gaps = n > 1 ? gap * (n - 1) : 0;
    const int length = vertical_ ? inner.Height() : inner.Width();
    std::vector<int> sizes = Distribute(axis, length - paddings - gaps);

    int cursor = (vertical_ ? inner.top : inner.left) - ScrollOffset();
    needed_ = paddings + gaps;
    for (int i = 0; i < n; ++i) {
        CControlUI* child = placed[i].control;
        const Rect& pad = placed[i].padding;
        int main = sizes[i];
        needed_ += main;
        // Across the stack: the child's own size, else the whole width (height).
        int room = vertical_ ? inner.Width() - pad.left - pad.right
                             : inner.Height() - pad.top - pad.bottom;
        int cross = vertical_ ? placed[i].estimate.cx : placed[i].estimate.cy;
        if (cross == 0) cross = room;
        int crossMin = child->Scaled(vertical_ ? child->GetMinWidth() : child->GetMinHeight());
        int crossMax = child->Scaled(vertical_ ? child->GetMaxWidth() : child->GetMaxHeight());
        cross = std::max(0, std::clamp(cross, crossMin, std::max(crossMin, crossMax)));
        int offset = 0;
        unsigned align = childAlign_;
        if ((vertical_ && (align & text_align::kCenter)) ||
            (!vertical_ && (align & text_align::kVCenter))) {
            offset = (room - cross) / 2;
        } else if ((vertical_ && (align & text_align::kRight)) ||
                   (!vertical_ && (align & text_align::kBottom))) {
            offset = room - cross;
        }
        Rect r;
        if (vertical_) {
            r.left = inner.left + pad.left + offset;
            r.right = r.left + cross;
            r.top = cursor + pad.top;
            r.bottom = r.top + main;
            cursor = r.bottom + pad.bottom + gap;
        } else {
            r.top = inner.top + pad.top + offset;
            r.bottom = r.top + cross;
            r.left = cursor + pad.left;
            r.right = r.left + main;
            cursor = r.right + pad.right + gap;
        }
        child->SetPos(r, needInvalidate);
    }
}

Size CLinearLayoutUI::EstimateSize(Size available) {
    Size size = CContainerUI::EstimateSize(available);
    const bool calcWidth = autoWidth_ && GetFixedWidth() == 0;
    const bool calcHeight = autoHeight_ && GetFixedHeight() == 0;
    if (!calcWidth && !calcHeight) return size;

    const Rect inset = Scaled(GetInset());
    int along = 0;
    int across = 0;
    int count = 0;
    for (auto& item : items_) {
        CControlUI* child = item.get();
        if (!child->IsVisible() || child->IsFloat()) continue;
        Rect pad = child->Scaled(child->GetPadding());
        Size est = child->EstimateSize(available);
        int w = est.cx != 0 ? est.cx : child->Scaled(child->GetMinWidth());
        int h = est.cy != 0 ? est.cy : child->Scaled(child->GetMinHeight());
        w += pad.left + pad.right;
        h += pad.top + pad.bottom;
        along += vertical_ ? h : w;
        across = std::max(across, vertical_ ? w : h);
        ++count;
    }
    if (count > 1) along += Scaled(GetChildPadding()) * (count - 1);
    int width = (vertical_ ? across : along) + inset.left + inset.right;
    int height = (vertical_ ? along : across) + inset.top + inset.bottom;
    if (calcWidth) size.cx = width;
    if (calcHeight) size.cy = height;
    return size;
}

// ---------------------------------------------------------------------------
// CVerticalLayoutUI

void CVerticalLayoutUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CLinearLayoutUI::SetAttribute(name, value);
    if (name == "vscrollbar") EnableVScroll(ParseBool(value));
}

void CVerticalLayoutUI::EnableVScroll(bool on) {
    vscroll_ = on;
    if (!on) SetScrollRange(0);
    NeedUpdate();
}

void CVerticalLayoutUI::SetPos(const Rect& rect, bool needInvalidate) {
    CLinearLayoutUI::SetPos(rect, needInvalidate);
    const int before = GetScrollPos();
    SetScrollRange(vscroll_ ? NeededLength() - InnerRect().Height() : 0);
    // Content that shrank leaves less to scroll: lay out at the new position.
    if (GetScrollPos() != before) CLinearLayoutUI::SetPos(rect, needInvalidate);
}

void CVerticalLayoutUI::EnsureVisible(const CControlUI* child) {
    if (child == nullptr || child->GetParent() != this || !vscroll_) return;
    const Rect inner = InnerRect();
    Rect pad = child->Scaled(child->GetPadding());
    int top = child->GetPos().top - pad.top;
    int bottom = child->GetPos().bottom + pad.bottom;
    if (top < inner.top) {
        ScrollBy(top - inner.top);
    } else if (bottom > inner.bottom) {
        ScrollBy(std::min(bottom - inner.bottom, top - inner.top));
    }
}

void CVerticalLayoutUI::DoPaint(Canvas& canvas, const Rect& dirty) {
    CLinearLayoutUI::DoPaint(canvas, dirty);
    int range = GetScrollRange();
    if (!vscroll_ || range <= 0) return;
    const Rect& pos = GetPos();
    int height = pos.Height();
    int thumb = std::max(Scaled(16), height * height / (height + range));
    int top = pos.top + (height - thumb) * GetScrollPos() / range;
    int width = Scaled(kScrollBarWidth);
    canvas.FillRoundRect({pos.right - width, top, pos.right, top + thumb}, {width, width},
                         kScrollBarColor);
}

int CLinearLayoutUI::ScrollOffset() const { return 0; }

int CVerticalLayoutUI::ScrollOffset() const { return vscroll_ ? GetScrollPos() : 0; }

// ---------------------------------------------------------------------------
// CTabLayoutUI

bool CTabLayoutUI::SelectItem(int index, bool notify) {
    if (index < 0 || index >= GetCount()) return false;
    int old = GetCurSel();
    if (index == old) return true;
    curSel_ = index;
    ShowPages();  // a focused control on the page left behind loses the focus
    SetPos(GetPos(), true);
    Invalidate();
    if (notify) Notify(notify_type::kTabSelect, index, old);
    return true;
}

bool CTabLayoutUI::SelectItem(const CControlUI* page, bool notify) {
    return SelectItem(GetItemIndex(page), notify);
}

CControlUI* CTabLayoutUI::Add(std::unique_ptr<CControlUI> control) {
    CControlUI* added = CContainerUI::Add(std::move(control));
    ShowPages();
    return added;
}

CControlUI* CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    int sel = GetCurSel();
    CControlUI* added = CContainerUI::AddAt(std::move(control), index);
    // The selected page stays selected when a page goes in before it.
    if (added != nullptr && sel >= 0 && GetItemIndex(added) <= sel) curSel_ = sel + 1;
    ShowPages();
    return added;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    int sel = GetCurSel();
    bool removed = CContainerUI::Remove(control);
    if (removed) {
        if (index < sel) {
            curSel_ = sel - 1;
        } else if (index == sel) {
            curSel_ = 0;
        }
        ShowPages();
        NeedUpdate();
    }
    return removed;
}

void CTabLayoutUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CContainerUI::SetAttribute(name, value);
    if (name == "selectedid") {
        curSel_ = std::max(0, ParseInt(value, 0));
        ShowPages();
    }
}

void CTabLayoutUI::DoInit() {
    CContainerUI::DoInit();
    ShowPages();
}

void CTabLayoutUI::SetInternVisible(bool visible) {
    CContainerUI::SetInternVisible(visible);
    ShowPages();
}

void CTabLayoutUI::SetVisible(bool visible) {
    CContainerUI::SetVisible(visible);
    ShowPages();
}

void CTabLayoutUI::ShowPages() {
    const bool shown = IsVisible();
    for (int i = 0; i < GetCount(); ++i) {
        GetItemAt(i)->SetInternVisible(shown && i == GetCurSel());
    }
}

void CTabLayoutUI::SetPos(const Rect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    ShowPages();
    const Rect inner = InnerRect();
    for (auto& item : items_) {
        CControlUI* page = item.get();
        if (page->IsFloat()) {
            SetFloatPos(page);
            continue;
        }
        Rect pad = page->Scaled(page->GetPadding());
        Rect r = inner.Deflated(pad);
        Size est = page->EstimateSize({r.Width(), r.Height()});
        int w = est.cx != 0 ? est.cx : r.Width();
        int h = est.cy != 0 ? est.cy : r.Height();
        int minW = page->Scaled(page->GetMinWidth());
        int minH = page->Scaled(page->GetMinHeight());
        w = std::clamp(w, minW, std::max(minW, page->Scaled(page->GetMaxWidth())));
        h = std::clamp(h, minH, std::max(minH, page->Scaled(page->GetMaxHeight())));
        page->SetPos({r.left, r.top, r.left + std::max(0, w), r.top + std::max(0, h)},
                     needInvalidate);
    }
}

}  // namespace halvorn::ui
