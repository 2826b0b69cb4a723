#pragma once

// A vertical list of items (CListLabelElementUI, CListContainerElementUI and
// the program's own rows) with one selected item. It scrolls with the wheel;
// Up, Down, Home and End move the selection (and the focus with it), Return
// activates it.
//
// "itemselect" (sender: the list, wParam the new index, lParam the old one)
// reports every selection the user makes and the programmatic ones with
// `notify`; clearing the selection (index -1) reports nothing, as in the
// skin library.

#include <string_view>

#include "platform/ui/controls/layouts.h"
#include "platform/ui/controls/list_item.h"

namespace halvorn::ui {

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    std::string_view GetClass() const override { return "List"; }

    const ListInfo& GetListInfo() const override { return info_; }
    ListInfo& ItemStyle() { return info_; }  // change, then Invalidate
    // -1 when none.
    int GetCurSel() const override;
    // Index -1 clears the selection. False (and nothing changes) for an index
    // that is no item or an item that is hidden or disabled.
    bool SelectItem(int index, bool notify = true) override;
    void DoItemEvent(UIEvent& event) override { DoEvent(event); }

    using CVerticalLayoutUI::EnsureVisible;
    void EnsureVisible(int index) { CVerticalLayoutUI::EnsureVisible(GetItemAt(index)); }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UIEvent& event) override;

private:
    ListInfo info_;
};

}  // namespace halvorn::ui
