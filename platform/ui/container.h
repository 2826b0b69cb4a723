#pragma once

// A control with children. The container owns its children. Float children
// are painted over the others (and so are hit first); the others are clipped
// to the inner rectangle (the position less the inset).

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ui/control.h"

namespace halvorn::ui {

class CContainerUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "Container"; }

    int GetCount() const { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(const CControlUI* control) const;  // -1 when not a child
    // Takes ownership; returns the raw pointer for convenience.
    CControlUI* Add(std::unique_ptr<CControlUI> control);
    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index);  // index clamped
    // Destroys it (once the input or notification being handled is over).
    bool Remove(CControlUI* control);
    std::unique_ptr<CControlUI> Take(CControlUI* control);  // removes without destroying
    void RemoveAll();

    const Rect& GetInset() const { return inset_; }
    void SetInset(const Rect& inset) {
        inset_ = inset;
        NeedUpdate();
    }
    int GetChildPadding() const { return childPadding_; }
    void SetChildPadding(int padding) {
        childPadding_ = padding;
        NeedUpdate();
    }
    // Vertical scrolling of the children (lists); pixels scrolled, within
    // 0..GetScrollRange(), which the layouts set. The wheel scrolls a
    // container that has a range; one without passes it to its parent.
    int GetScrollPos() const { return scrollPos_; }
    virtual void SetScrollPos(int pos);
    int GetScrollRange() const { return scrollRange_; }

    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetInternVisible(bool visible) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    CControlUI* FindControl(const std::function<bool(CControlUI*)>& match,
                            unsigned flags = find::kAll) override;
    using CControlUI::SetFloatPos;
    // A plain container puts every child over its whole inner rectangle
    // (less the child's padding); the layouts override this.
    void SetPos(const Rect& rect, bool needInvalidate = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UIEvent& event) override;
    void DoPaint(Canvas& canvas, const Rect& dirty) override;

protected:
    // Places float children at their "pos" relative to this container.
    void SetFloatPos(CControlUI* child) const;
    Rect InnerRect() const;  // GetPos minus the inset
    void SetScrollRange(int range) {
        scrollRange_ = std::max(0, range);
        scrollPos_ = std::min(scrollPos_, scrollRange_);
    }

    std::vector<std::unique_ptr<CControlUI>> items_;

private:
    Rect inset_;
    int childPadding_ = 0;
    int scrollPos_ = 0;
    int scrollRange_ = 0;
};

}  // namespace halvorn::ui
