#pragma once

// The skin's layouts. A vertical (horizontal) layout stacks its visible
// children top to bottom (left to right):
// - a child whose estimated size along the stack is not 0 (a fixed height,
//   scaled) gets it, limited by its min and max;
// - the others share what is left equally; a share below a child's min or
//   above its max is limited and the rest is shared again among the others,
//   so limited children do not leave holes or overflow;
// - every child keeps its padding around it, the layout's inset inside its
//   rectangle and childpadding between two children;
// - across the stack a child fills the layout unless it has a size there
//   (then it is placed by childalign / childvalign);
// - float children are placed by their pos and take no room.
// A vertical layout with vscrollbar="true" scrolls its children when they
// need more height than it has (the container's wheel handling), and shows
// where it is with a thin bar over its right edge.

#include <algorithm>
#include <memory>
#include <string_view>

#include "platform/ui/container.h"

namespace halvorn::ui {

class CLinearLayoutUI : public CContainerUI {
public:
    explicit CLinearLayoutUI(bool vertical) : vertical_(vertical) {}

    void SetPos(const Rect& rect, bool needInvalidate = true) override;
    // With autocalcwidth / autocalcheight and no fixed size in that direction:
    // the sum of the children along the stack and the widest across it.
    Size EstimateSize(Size available) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    bool IsAutoCalcWidth() const { return autoWidth_; }
    void SetAutoCalcWidth(bool on);
    bool IsAutoCalcHeight() const { return autoHeight_; }
    void SetAutoCalcHeight(bool on);
    // Across the stack: text_align kLeft / kCenter / kRight for a vertical
    // layout, kTop / kVCenter / kBottom for a horizontal one.
    unsigned GetChildAlign() const { return childAlign_; }
    void SetChildAlign(unsigned align);

    // Height (width) the visible children need, with paddings; window pixels.
    int NeededLength() const { return needed_; }

protected:
    // Pixels the children are moved up by scrolling.
    virtual int ScrollOffset() const;

    bool vertical_;

private:
    bool autoWidth_ = false;
    bool autoHeight_ = false;
    unsigned childAlign_ = 0;
    int needed_ = 0;
};

class CVerticalLayoutUI : public CLinearLayoutUI {
public:
    CVerticalLayoutUI() : CLinearLayoutUI(true) {}
    std::string_view GetClass() const override { return "VerticalLayout"; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoPaint(Canvas& canvas, const Rect& dirty) override;
    void SetPos(const Rect& rect, bool needInvalidate = true) override;

    bool IsVScrollEnabled() const { return vscroll_; }
    void EnableVScroll(bool on);
    // Scrolls as little as needed so that `child` (a direct child) is in view.
    void EnsureVisible(const CControlUI* child);
    // Scrolls by `pixels` (negative: up).
    void ScrollBy(int pixels) { SetScrollPos(GetScrollPos() + pixels); }

protected:
    int ScrollOffset() const override;

private:
    bool vscroll_ = false;
};

class CHorizontalLayoutUI : public CLinearLayoutUI {
public:
    CHorizontalLayoutUI() : CLinearLayoutUI(false) {}
    std::string_view GetClass() const override { return "HorizontalLayout"; }
};

// Pages on top of each other; only the selected one is shown. Pages are
// hidden with SetInternVisible, so a page's own visible flag is left alone.
class CTabLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override { return "TabLayout"; }

    // -1 when there is no page.
    int GetCurSel() const { return GetCount() == 0 ? -1 : std::min(curSel_, GetCount() - 1); }
    // Shows page `index` alone; "tabselect" (wParam new, lParam old) when it
    // changed and `notify`. False for an index that is no page.
    bool SelectItem(int index, bool notify = true);
    bool SelectItem(const CControlUI* page, bool notify = true);

    // Adding through the tab layout keeps new pages hidden unless selected
    // (pages added otherwise are sorted out at the next layout).
    CControlUI* Add(std::unique_ptr<CControlUI> control);
    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index);
    bool Remove(CControlUI* control);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetPos(const Rect& rect, bool needInvalidate = true) override;
    void DoInit() override;
    void SetInternVisible(bool visible) override;
    void SetVisible(bool visible) override;

private:
    void ShowPages();

    int curSel_ = 0;
};

}  // namespace halvorn::ui
