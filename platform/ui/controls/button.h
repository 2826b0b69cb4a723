#pragma once

// A push button: "click" when the left button goes up over it after going
// down over it (moving out and back in while held is fine), or when Return
// or Space is pressed while it has the focus.
//
// Attributes (besides the label's): normalimage, hotimage, pushedimage,
// focusedimage, disabledimage, foreimage, hotforeimage, hottextcolor,
// pushedtextcolor, focusedtextcolor, hotbkcolor, pushedbkcolor.

#include <string>
#include <string_view>

#include "platform/ui/controls/label.h"
#include "platform/ui/controls/paint_util.h"

namespace halvorn::ui {

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::string_view GetClass() const override { return "Button"; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UIEvent& event) override;
    // Sends "click"; false when hidden or disabled.
    bool Activate() override;
    void PaintStatusImage(Canvas& canvas) override;
    void PaintText(Canvas& canvas) override;

    // Held down with the pointer over it.
    bool IsPushed() const { return pushed_; }

    const std::string& GetNormalImage() const { return images_.normal; }
    void SetNormalImage(std::string_view image);
    const std::string& GetHotImage() const { return images_.hot; }
    void SetHotImage(std::string_view image);
    const std::string& GetPushedImage() const { return images_.pushed; }
    void SetPushedImage(std::string_view image);
    const std::string& GetFocusedImage() const { return images_.focused; }
    void SetFocusedImage(std::string_view image);
    const std::string& GetDisabledImage() const { return images_.disabled; }
    void SetDisabledImage(std::string_view image);
    const std::string& GetForeImage() const { return foreImage_; }
    void SetForeImage(std::string_view image);
    Color GetHotTextColor() const { return textColors_.hot; }
    void SetHotTextColor(Color color) { textColors_.hot = color; }
    Color GetPushedTextColor() const { return textColors_.pushed; }
    void SetPushedTextColor(Color color) { textColors_.pushed = color; }
    Color GetHotBkColor() const { return hotBkColor_; }
    void SetHotBkColor(Color color) { hotBkColor_ = color; }

protected:
    // The text colour of the current state.
    virtual Color StateTextColor() const;
    // Background colour, status image and fore image of the button states.
    void PaintButtonImages(Canvas& canvas);

    StateImages images_;
    StateTextColors textColors_;
    std::string foreImage_;
    std::string hotForeImage_;
    Color hotBkColor_ = 0;
    Color pushedBkColor_ = 0;

private:
    bool captured_ = false;  // the button went down over it and is not up yet
    bool pushed_ = false;    // captured and the pointer is over it
};

}  // namespace halvorn::ui
