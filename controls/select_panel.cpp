#include "controls/select_panel.h"

#include <algorithm>

#include "controls/device_key_button.h"

namespace halvorn {

namespace {

constexpr std::string_view kSelectEnd = "click_select_end";

}  // namespace

void CSelectPanelUI::DoEvent(ui::UIEvent& event) {
    CVerticalLayoutUI::DoEvent(event);
    switch (event.type) {
        case ui::UIEventType::ButtonDown:
            if (IsEnabled()) {
                pressed_ = true;
                anchor_ = event.point;
            }
            break;
        case ui::UIEventType::MouseMove:
            if (pressed_) dragging_ = true;
            if (dragging_) {
                current_ = event.point;
                selection_ = {std::min(anchor_.x, current_.x), std::min(anchor_.y, current_.y),
                              std::max(anchor_.x, current_.x), std::max(anchor_.y, current_.y)};
                Invalidate();
            }
            break;
        case ui::UIEventType::ButtonUp:
            pressed_ = false;
            if (dragging_) {
                dragging_ = false;
                SelectTouchedKeys();
                Invalidate();
                Notify(kSelectEnd);
            }
            break;
        default:
            break;
    }
}

void CSelectPanelUI::SelectTouchedKeys() {
    for (int i = 0; i < GetCount(); ++i) {
        ui::CControlUI* child = GetItemAt(i);
        auto* key = dynamic_cast<CDeviceKeyButtonUI*>(child);
        if (!key || key->GetClass() != "DeviceKeyButton") continue;
        // Right and bottom are exclusive: a shared edge is no overlap.
        key->SetSelected(!key->GetPos().Intersected(selection_).Empty());
    }
}

}  // namespace halvorn
