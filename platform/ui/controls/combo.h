#pragma once

// A combo box: shows the selected item's text and opens a drop-down list.
//
// Its items (CListLabelElementUI, or other list items) are its children but
// are never laid out or painted inside the box: they are the data of the
// drop-down. Opening it (a click, Space, F4 or Alt+Down) sets the dropped-down
// state and sends "dropdown"; the window host shows the pop-up on that
// notification, calls PickFromDropDown when the user picks an item and
// CloseDropDown when the pop-up goes away otherwise.
//
// "itemselect" (wParam the new index, lParam the old one) reports every
// selection the user makes (pop-up, Up/Down keys, wheel when "scrollselect"
// is on, the default) and programmatic ones with `notify`.
//
// Attributes: normalimage, hotimage, pushedimage, focusedimage,
// disabledimage, arrowimage, textpadding, dropboxsize, scrollselect and the
// item style ("itemfont", "itemtextcolor", ... see ListInfo).

#include <string>
#include <string_view>

#include "platform/ui/container.h"
#include "platform/ui/controls/list_item.h"
#include "platform/ui/controls/paint_util.h"

namespace halvorn::ui {

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    std::string_view GetClass() const override { return "Combo"; }

    const ListInfo& GetListInfo() const override { return info_; }
    ListInfo& ItemStyle() { return info_; }
    int GetCurSel() const override;  // -1 when none
    // Index -1 clears the selection (reporting nothing); an index past the
    // end selects the last item. False, and nothing changes, for a hidden or
    // disabled item or when there are no items.
    bool SelectItem(int index, bool notify = true) override;
    void DoItemEvent(UIEvent& event) override { (void)event; }

    // The selected item's text ("" when none).
    std::string GetText() const override;

    bool IsDroppedDown() const { return droppedDown_; }
    // Opens the drop-down ("dropdown"); false when hidden, disabled or open.
    bool DropDown();
    void CloseDropDown();
    // What the pop-up does when the user picks item `index`.
    bool PickFromDropDown(int index);
    // The pop-up's size in skin pixels; cx 0 means the combo's own width.
    Size GetDropBoxSize() const { return dropBoxSize_; }
    void SetDropBoxSize(Size size) { dropBoxSize_ = size; }
    bool IsScrollSelect() const { return scrollSelect_; }
    void SetScrollSelect(bool on) { scrollSelect_ = on; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    bool Activate() override;  // toggles the drop-down
    void DoEvent(UIEvent& event) override;
    void SetPos(const Rect& rect, bool needInvalidate = true) override;
    void DoPaint(Canvas& canvas, const Rect& dirty) override;
    void PaintStatusImage(Canvas& canvas) override;
    void PaintText(Canvas& canvas) override;
    // The items are not part of what is shown: hiding or disabling the box
    // leaves their own state alone (and closes the drop-down).
    void SetVisible(bool visible) override;
    void SetInternVisible(bool visible) override;
    void SetEnabled(bool enabled) override;

private:
    void ShowItems();
    void SelectStep(bool forward);

    ListInfo info_;
    StateImages images_;
    std::string arrowImage_;
    Size dropBoxSize_{0, 150};
    bool scrollSelect_ = true;
    bool droppedDown_ = false;
    bool pushed_ = false;
};

}  // namespace halvorn::ui
