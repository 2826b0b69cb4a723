#include "platform/ui/controls/progress.h"

#include <algorithm>

#include "platform/ui/controls/paint_util.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

CProgressUI::CProgressUI() {
    SetTextAlign(text_align::kCenter | text_align::kVCenter | text_align::kSingleLine);
}

void CProgressUI::SetMinValue(int min) {
    min_ = min;
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    max_ = max;
    Invalidate();
}

int CProgressUI::GetValue() const { return std::clamp(value_, min_, std::max(min_, max_)); }

void CProgressUI::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    Invalidate();
}

void CProgressUI::SetHorizontal(bool on) {
    horizontal_ = on;
    Invalidate();
}

void CProgressUI::SetForeImage(std::string_view image) {
    foreImage_ = std::string(image);
    Invalidate();
}

void CProgressUI::SetForeColor(Color color) {
    foreColor_ = color;
    Invalidate();
}

void CProgressUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CLabelUI::SetAttribute(name, value);
    if (name == "min") {
        SetMinValue(ParseInt(value, min_));
    } else if (name == "max") {
        SetMaxValue(ParseInt(value, max_));
    } else if (name == "value") {
        SetValue(ParseInt(value, value_));
    } else if (name == "hor" || name == "horizontal") {
        SetHorizontal(ParseBool(value));
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else if (name == "forecolor") {
        SetForeColor(ParseColor(value));
    } else if (name == "isstretchfore") {
        stretchFore_ = ParseBool(value);
    }
}

Rect CProgressUI::ValueRect(const Rect& rect) const {
    const int span = max_ - min_;
    const int part = span <= 0 ? 0 : GetValue() - min_;
    Rect r = rect;
    if (horizontal_) {
        r.right =
            span <= 0
                ? r.left
                : r.left + static_cast<int>(static_cast<long long>(rect.Width()) * part / span);
    } else {
        r.top =
            span <= 0
                ? r.bottom
                : r.bottom - static_cast<int>(static_cast<long long>(rect.Height()) * part / span);
    }
    return r;
}

void CProgressUI::PaintStatusImage(Canvas& canvas) {
    const Rect& pos = GetPos();
    const Rect part = ValueRect(pos);
    if (part.Empty()) return;
    if (foreColor_ != 0) canvas.FillRect(part, foreColor_);
    if (foreImage_.empty()) return;
    std::optional<ImageSpec> image = ParseImageString(foreImage_);
    if (!image) return;
    if (!stretchFore_ && !image->source) {
        // The image is as large as the control: show the same part of it.
        double scale = ScaleFactor(*this);
        image->source = Rect{static_cast<int>((part.left - pos.left) / scale),
                             static_cast<int>((part.top - pos.top) / scale),
                             static_cast<int>((part.right - pos.left) / scale),
                             static_cast<int>((part.bottom - pos.top) / scale)};
    }
    image->dest.reset();
    canvas.DrawImage(part, *image);
}

}  // namespace halvorn::ui
