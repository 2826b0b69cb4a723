#include "platform/ui/controls/list.h"

#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

CListUI::CListUI() { EnableVScroll(true); }

int CListUI::GetCurSel() const {
    for (int i = 0; i < GetCount(); ++i) {
        auto* item = dynamic_cast<IListItemUI*>(GetItemAt(i));
        if (item != nullptr && item->IsSelected()) return i;
    }
    return -1;
}

bool CListUI::SelectItem(int index, bool notify) {
    const int old = GetCurSel();
    if (index == old) return true;
    if (index >= GetCount()) return false;
    if (index >= 0 && !IsSelectableItem(*this, GetItemAt(index))) return false;
    for (int i = 0; i < GetCount(); ++i) {
        if (auto* item = dynamic_cast<IListItemUI*>(GetItemAt(i))) {
            item->SetSelectedState(i == index);
        }
    }
    Invalidate();
    if (index < 0) return true;
    EnsureVisible(index);
    if (notify) Notify(notify_type::kItemSelect, index, old);
    return true;
}

void CListUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CVerticalLayoutUI::SetAttribute(name, value);
    if (info_.SetAttribute(name, value)) Invalidate();
}

void CListUI::DoEvent(UIEvent& event) {
    if (event.type == UIEventType::KeyDown && IsEnabled()) {
        const int cur = GetCurSel();
        int next = -2;
        switch (event.key) {
            case key::kUp:
                next = FindSelectableItem(*this, cur - 1, false);
                break;
            case key::kDown:
                next = FindSelectableItem(*this, cur + 1, true);
                break;
            case key::kHome:
                next = FindSelectableItem(*this, 0, true);
                break;
            case key::kEnd:
                next = FindSelectableItem(*this, GetCount() - 1, false);
                break;
            case key::kReturn:
                if (cur >= 0) GetItemAt(cur)->Activate();
                return;
            default:
                break;
        }
        if (next != -2) {
            // The focus follows the selection, so that Return acts on it.
            if (next >= 0 && SelectItem(next)) GetItemAt(next)->SetFocus();
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

}  // namespace halvorn::ui
