#pragma once

// Items of lists and combo boxes, and what they need of their owner.
//
// An item belongs to the list or combo box that is its parent. Its look comes
// from the owner's item style (ListInfo: the owner's "item..." attributes).
// A left or right button going down on an enabled item sends "itemclick"
// (sender: the item) and then selects it through the owner ("itemselect",
// sender: the owner); a double click or Return sends "itemactivate" (sender:
// the item). Wheel and other keys go on to the owner.

#include <string>
#include <string_view>

#include "platform/ui/container.h"
#include "platform/ui/controls/layouts.h"
#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

// The item style of a list or combo box.
struct ListInfo {
    int font = -1;
    unsigned align = text_align::kLeft | text_align::kVCenter | text_align::kSingleLine;
    Rect textPadding;
    Color textColor = 0xFF000000;
    Color bkColor = 0;
    std::string bkImage;
    Color selectedTextColor = 0xFF000000;
    Color selectedBkColor = 0xFFC1E3FF;
    std::string selectedImage;
    Color hotTextColor = 0xFF000000;
    Color hotBkColor = 0xFFE9F5FF;
    std::string hotImage;
    Color disabledTextColor = 0xFFCCCCCC;
    Color disabledBkColor = 0xFFFFFFFF;
    std::string disabledImage;
    Color lineColor = 0;
    bool showHtml = false;

    // "itemfont", "itemalign", "itemtextpadding", "itemtextcolor",
    // "itembkcolor", "itembkimage", "itemselected...", "itemhot...",
    // "itemdisabled...", "itemlinecolor", "itemshowhtml"; true when taken.
    bool SetAttribute(std::string_view name, std::string_view value);
};

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual const ListInfo& GetListInfo() const = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool notify) = 0;
    // Events an item leaves to its owner (wheel, navigation keys).
    virtual void DoItemEvent(UIEvent& event) = 0;
};

class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual bool IsSelected() const = 0;
    // The owner's side of a selection: marks the item, tells nobody.
    virtual void SetSelectedState(bool selected) = 0;
};

// What both item kinds share; `self` is the item.
IListOwnerUI* ListOwnerOf(const CControlUI& self);
int ListIndexOf(const CControlUI& self);
// Handles the item side of an event; false when the caller should.
bool HandleListItemEvent(CControlUI& self, UIEvent& event);
// Background colour and image of the item's state, and the item line.
void PaintListItemBk(Canvas& canvas, const CControlUI& self, bool selected);
Color ListItemTextColor(const CControlUI& self, bool selected);

// The selection, owner and event handling both item kinds share, over the
// control class each is made of.
template <typename Base>
class ListItem : public Base, public IListItemUI {
public:
    bool IsSelected() const override { return selected_; }
    void SetSelectedState(bool selected) override {
        if (selected_ == selected) return;
        selected_ = selected;
        this->Invalidate();
    }
    // Selects (or clears) this item through its owner.
    bool Select(bool select = true, bool notify = true) {
        IListOwnerUI* owner = GetOwner();
        if (owner == nullptr) {
            SetSelectedState(select);
            return true;
        }
        if (select) return owner->SelectItem(GetIndex(), notify);
        return !selected_ || owner->SelectItem(-1, notify);
    }
    IListOwnerUI* GetOwner() const { return ListOwnerOf(*this); }
    int GetIndex() const { return ListIndexOf(*this); }

    void SetAttribute(std::string_view rawName, std::string_view value) override {  // + selected
        const std::string name = AsciiLower(rawName);
        Base::SetAttribute(name, value);
        if (name == "selected") Select(ParseBool(value), false);
    }
    void DoEvent(UIEvent& event) override {
        if (!HandleListItemEvent(*this, event)) Base::DoEvent(event);
    }
    bool Activate() override {  // "itemactivate"
        if (!Base::Activate()) return false;
        this->Notify(notify_type::kItemActivate);
        return true;
    }

protected:
    bool selected_ = false;
};

// A one-text item (combo box entries, simple list rows); 30 pixels high
// unless the skin says otherwise.
class CListLabelElementUI : public ListItem<CControlUI> {
public:
    CListLabelElementUI();
    std::string_view GetClass() const override { return "ListLabelElement"; }
    void DoPaint(Canvas& canvas, const Rect& dirty) override;
};

// A row holding other controls, laid out left to right.
class CListContainerElementUI : public ListItem<CHorizontalLayoutUI> {
public:
    std::string_view GetClass() const override { return "ListContainerElement"; }
    void DoPaint(Canvas& canvas, const Rect& dirty) override;
};

// Whether `item` of `owner` can be selected: an enabled, visible item. While
// the owner itself is hidden (a page not shown) its items count as visible:
// their own flag cannot be told apart from the page's then.
bool IsSelectableItem(const CContainerUI& owner, const CControlUI* item);
// The index of the next item from `start` that can be selected, going
// forward or back (then the other way); -1 when there is none.
int FindSelectableItem(const CContainerUI& owner, int start, bool forward);

}  // namespace halvorn::ui
