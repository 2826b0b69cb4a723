#pragma once

// The device picture: holds the key buttons and lets the user select them
// with a dragged rectangle ("click_select_end" when it is released). A
// press and release without a move in between selects nothing. Neither the
// rectangle nor the selection is drawn.

#include <string_view>

#include "platform/ui/controls/layouts.h"

namespace halvorn {

class CSelectPanelUI : public ui::CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "SelectPanel"; }
    void DoEvent(ui::UIEvent& event) override;

    const ui::Rect& Selection() const { return selection_; }
    bool IsDragging() const { return dragging_; }

private:
    // Every "DeviceKeyButton" child: selected when it overlaps the rectangle.
    void SelectTouchedKeys();

    bool pressed_ = false;
    bool dragging_ = false;
    ui::Point anchor_{};
    ui::Point current_{};
    ui::Rect selection_{};
};

}  // namespace halvorn
