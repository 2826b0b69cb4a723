#include "platform/ui/controls/label.h"

#include "platform/ui/controls/paint_util.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {
namespace {

// Before the first paint there is no canvas to measure with: a width from
// the font size (narrow for ASCII, square for the rest) keeps the first
// layout close.
int GuessTextWidth(std::string_view text, const FontSpec& font) {
    int width = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t next = Utf8Offset(text.substr(i), 1);
        width += c < 0x80 ? font.size * 55 / 100 : font.size;
        i += next == 0 ? 1 : next;
    }
    return width;
}

}  // namespace

CLabelUI::CLabelUI() = default;

void CLabelUI::SetText(std::string_view text) {
    if (text == GetRawText()) return;
    CControlUI::SetText(text);
    measuredWidth_ = -1;
    if (autoCalcWidth_) NeedParentUpdate();
    Invalidate();
}

void CLabelUI::SetAutoCalcWidth(bool on) {
    autoCalcWidth_ = on;
    NeedParentUpdate();
}

void CLabelUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    // Text colours, font, alignment and text padding are the base's.
    CControlUI::SetAttribute(name, value);
    if (name == "autocalcwidth") {
        SetAutoCalcWidth(ParseBool(value));
    } else if (name == "showhtml") {
        SetShowHtml(ParseBool(value));
    }
}

Rect CLabelUI::TextRect() const { return GetPos().Deflated(Scaled(GetTextPadding())); }

Size CLabelUI::EstimateSize(Size available) {
    Size size = CControlUI::EstimateSize(available);
    if (!autoCalcWidth_ || GetFixedWidth() != 0) return size;
    std::string text = GetText();
    int width =
        measuredWidth_ >= 0 ? measuredWidth_ : GuessTextWidth(text, FontOf(*this, GetFont()));
    Rect pad = Scaled(GetTextPadding());
    size.cx = width + pad.left + pad.right;
    return size;
}

void CLabelUI::DrawLabelText(Canvas& canvas, const std::string& text, Color color) {
    FontSpec font = FontOf(*this, GetFont());
    if (autoCalcWidth_) {
        int width = canvas.MeasureText(text, font).cx;
        if (width != measuredWidth_) {
            measuredWidth_ = width;
            NeedParentUpdate();
        }
    }
    if (text.empty()) return;
    canvas.DrawText(TextRect(), text, font, color, GetTextAlign());
}

void CLabelUI::PaintText(Canvas& canvas) {
    Color color = IsEnabled() ? ColorOr(GetTextColor(), kDefaultTextColor)
                              : ColorOr(GetDisabledTextColor(), kDefaultDisabledTextColor);
    DrawLabelText(canvas, GetText(), color);
}

CTextUI::CTextUI() { SetTextAlign(text_align::kLeft | text_align::kTop | text_align::kWordBreak); }

}  // namespace halvorn::ui
