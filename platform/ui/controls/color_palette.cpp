#include "platform/ui/controls/color_palette.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/controls/paint_util.h"
#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {
namespace {

constexpr int kGap = 4;         // between field and bar, skin pixels
constexpr int kMarker = 8;      // size of the field's marker, skin pixels
constexpr double kDark = 0.05;  // below this brightness a field pick lights the colour

double Fraction(int offset, int length) {
    return length <= 1 ? 0.0 : std::clamp(static_cast<double>(offset) / (length - 1), 0.0, 1.0);
}

}  // namespace

Color HsvToArgb(double hue, double saturation, double value) {
    hue = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0);
    saturation = std::clamp(saturation, 0.0, 1.0);
    value = std::clamp(value, 0.0, 1.0);
    double c = value * saturation;
    double x = c * (1 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1));
    double m = value - c;
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(hue / 60.0)) {
        case 0:
            r = c, g = x;
            break;
        case 1:
            r = x, g = c;
            break;
        case 2:
            g = c, b = x;
            break;
        case 3:
            g = x, b = c;
            break;
        case 4:
            r = x, b = c;
            break;
        default:
            r = c, b = x;
            break;
    }
    auto byte = [&](double v) { return static_cast<Color>(std::lround((v + m) * 255.0)); };
    return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

void ArgbToHsv(Color argb, double& hue, double& saturation, double& value) {
    double r = ((argb >> 16) & 0xFF) / 255.0;
    double g = ((argb >> 8) & 0xFF) / 255.0;
    double b = (argb & 0xFF) / 255.0;
    double max = std::max({r, g, b});
    double min = std::min({r, g, b});
    double delta = max - min;
    value = max;
    saturation = max > 0 ? delta / max : 0;
    if (delta <= 0) {
        hue = 0;
    } else if (max == r) {
        hue = 60.0 * std::fmod((g - b) / delta + 6.0, 6.0);
    } else if (max == g) {
        hue = 60.0 * ((b - r) / delta + 2.0);
    } else {
        hue = 60.0 * ((r - g) / delta + 4.0);
    }
}

void CColorPaletteUI::SetSelectColor(Color argb) {
    selected_ = argb;
    double h = 0, s = 0, v = 0;
    ArgbToHsv(argb, h, s, v);
    // Grey and black have no hue of their own: keep the one shown.
    if (s > 0) hue_ = h;
    if (v > 0) saturation_ = s;
    brightness_ = v;
    Invalidate();
}

void CColorPaletteUI::SetBarHeight(int height) {
    barHeight_ = std::max(0, height);
    Invalidate();
}

void CColorPaletteUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CControlUI::SetAttribute(name, value);
    if (name == "barheight") {
        SetBarHeight(ParseInt(value, barHeight_));
    } else if (name == "cellsize") {
        cellSize_ = std::max(1, ParseInt(value, cellSize_));
    } else if (name == "thumbimage") {
        thumbImage_ = std::string(value);
    }
}

Rect CColorPaletteUI::BarRect() const {
    Rect r = GetPos();
    r.top = std::max(r.top, r.bottom - Scaled(barHeight_));
    return r;
}

Rect CColorPaletteUI::FieldRect() const {
    Rect r = GetPos();
    int bar = Scaled(barHeight_);
    r.bottom = std::max(r.top, r.bottom - bar - (bar > 0 ? Scaled(kGap) : 0));
    return r;
}

void CColorPaletteUI::PickAt(Point point) {
    if (drag_ == Drag::kField) {
        Rect f = FieldRect();
        hue_ = 359.0 * Fraction(point.x - f.left, f.Width());
        saturation_ = 1.0 - Fraction(point.y - f.top, f.Height());
        if (brightness_ < kDark) brightness_ = 1.0;
    } else if (drag_ == Drag::kBar) {
        Rect b = BarRect();
        brightness_ = Fraction(point.x - b.left, b.Width());
    } else {
        return;
    }
    selected_ = HsvToArgb(hue_, saturation_, brightness_);
    Invalidate();
}

void CColorPaletteUI::DoEvent(UIEvent& event) {
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::DoubleClick:
            if (IsEnabled()) {
                if (FieldRect().Contains(event.point)) {
                    drag_ = Drag::kField;
                } else if (BarRect().Contains(event.point)) {
                    drag_ = Drag::kBar;
                } else {
                    return;
                }
                pressColor_ = selected_;
                PickAt(event.point);
            }
            return;
        case UIEventType::MouseMove:
            if (drag_ != Drag::kNone) {
                PickAt(event.point);
                return;
            }
            break;
        case UIEventType::ButtonUp:
            if (drag_ != Drag::kNone) {
                PickAt(event.point);
                drag_ = Drag::kNone;
                if (selected_ != pressColor_) Notify(notify_type::kColorChanged, selected_);
                return;
            }
            break;
        default:
            break;
    }
    CControlUI::DoEvent(event);
}

void CColorPaletteUI::PaintStatusImage(Canvas& canvas) {
    const int cell = std::max(1, Scaled(cellSize_));
    const Rect field = FieldRect();
    for (int y = field.top; y < field.bottom; y += cell) {
        double s = 1.0 - Fraction(y + cell / 2 - field.top, field.Height());
        for (int x = field.left; x < field.right; x += cell) {
            double h = 359.0 * Fraction(x + cell / 2 - field.left, field.Width());
            canvas.FillRect(
                {x, y, std::min(x + cell, field.right), std::min(y + cell, field.bottom)},
                HsvToArgb(h, s, 1.0));
        }
    }
    const Rect bar = BarRect();
    if (!bar.Empty() && bar.top >= field.bottom) {
        for (int x = bar.left; x < bar.right; x += cell) {
            double v = Fraction(x + cell / 2 - bar.left, bar.Width());
            canvas.FillRect({x, bar.top, std::min(x + cell, bar.right), bar.bottom},
                            HsvToArgb(hue_, saturation_, v));
        }
        int tx = bar.left + static_cast<int>(std::lround(brightness_ * (bar.Width() - 1)));
        int half = std::max(2, Scaled(3));
        Rect thumb{tx - half, bar.top, tx + half, bar.bottom};
        if (thumbImage_.empty() || !DrawImageIn(canvas, *this, thumbImage_, thumb)) {
            canvas.DrawBorder(thumb, 1, 0xFFFFFFFF, {});
        }
    }
    if (!field.Empty()) {
        int mx = field.left + static_cast<int>(std::lround(hue_ / 359.0 * (field.Width() - 1)));
        int my =
            field.top + static_cast<int>(std::lround((1.0 - saturation_) * (field.Height() - 1)));
        int half = Scaled(kMarker) / 2;
        Rect marker{mx - half, my - half, mx + half, my + half};
        canvas.DrawBorder(marker, 2, 0xFF000000, {half, half});
        canvas.DrawBorder(marker.Deflated({1, 1, 1, 1}), 1, 0xFFFFFFFF, {half, half});
    }
}

}  // namespace halvorn::ui
