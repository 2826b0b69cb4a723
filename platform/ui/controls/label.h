#pragma once

// Text controls: a one-line label and a multi-line text.
//
// Attributes (besides the base's): align (left, center, right), valign (top,
// vcenter, bottom), endellipsis, wordbreak, multiline, textcolor,
// disabledtextcolor, font, textpadding, autocalcwidth (the width follows the
// text; measured when painted, estimated from the font before that) and
// showhtml (accepted; the text is always shown plain).

#include <string>
#include <string_view>

#include "platform/ui/control.h"

namespace halvorn::ui {

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    std::string_view GetClass() const override { return "Label"; }

    void SetText(std::string_view text) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    Size EstimateSize(Size available) override;
    void PaintText(Canvas& canvas) override;

    bool IsAutoCalcWidth() const { return autoCalcWidth_; }
    void SetAutoCalcWidth(bool on);
    bool IsShowHtml() const { return showHtml_; }
    void SetShowHtml(bool on) { showHtml_ = on; }

protected:
    // The rectangle the text goes in: the control minus its text padding.
    Rect TextRect() const;
    // Draws `text` in `color` with the control's font and alignment; keeps
    // the measured width for autocalcwidth.
    void DrawLabelText(Canvas& canvas, const std::string& text, Color color);

private:
    bool autoCalcWidth_ = false;
    bool showHtml_ = false;
    int measuredWidth_ = -1;  // of the current text, once painted
};

class CTextUI : public CLabelUI {
public:
    CTextUI();
    std::string_view GetClass() const override { return "Text"; }
};

}  // namespace halvorn::ui
