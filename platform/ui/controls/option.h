#pragma once

// Option buttons and check boxes.
//
// An option with a group is one of a set: selecting it unselects every other
// option of the same group in the same window. A click selects it (a click
// on the selected one changes nothing); only the newly selected option
// reports "selectchanged". An option without a group toggles, and reports
// "selectchanged" both ways. A click sends "click" first, then
// "selectchanged". wParam of "selectchanged" is the new state (1 or 0).
//
// Attributes (besides the button's): group, selected, selectedimage,
// selectedhotimage, selectedpushedimage, selectedforeimage,
// selectedtextcolor, selectedbkcolor.

#include <string>
#include <string_view>

#include "platform/ui/controls/button.h"

namespace halvorn::ui {

class COptionUI : public CButtonUI {
public:
    std::string_view GetClass() const override { return "Option"; }

    bool IsSelected() const { return selected_; }
    // Programmatic changes report only when `notify` is set.
    void Selected(bool selected, bool notify = true);

    const std::string& GetGroup() const { return group_; }
    void SetGroup(std::string_view group) { group_ = std::string(group); }

    const std::string& GetSelectedImage() const { return selectedImage_; }
    void SetSelectedImage(std::string_view image);
    const std::string& GetSelectedHotImage() const { return selectedHotImage_; }
    void SetSelectedHotImage(std::string_view image);
    Color GetSelectedTextColor() const { return selectedTextColor_; }
    void SetSelectedTextColor(Color color) { selectedTextColor_ = color; }
    Color GetSelectedBkColor() const { return selectedBkColor_; }
    void SetSelectedBkColor(Color color);

    void SetAttribute(std::string_view name, std::string_view value) override;
    bool Activate() override;
    void PaintStatusImage(Canvas& canvas) override;

protected:
    Color StateTextColor() const override;

private:
    void UnselectGroupPeers();

    bool selected_ = false;
    std::string group_;
    std::string selectedImage_;
    std::string selectedHotImage_;
    std::string selectedPushedImage_;
    std::string selectedForeImage_;
    Color selectedTextColor_ = 0;
    Color selectedBkColor_ = 0;
};

// A check box: an option that always toggles; a "group" attribute is ignored.
class CCheckBoxUI : public COptionUI {
public:
    std::string_view GetClass() const override { return "CheckBox"; }

    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool notify = true) { Selected(check, notify); }

    void SetAttribute(std::string_view name, std::string_view value) override;
};

}  // namespace halvorn::ui
