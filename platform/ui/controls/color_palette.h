#pragma once

// A colour picker: a field of hue (left to right) and saturation (top to
// bottom) at full brightness, and under it a bar of brightness for that hue
// and saturation. The user drags in either; releasing the button sends
// "colorchanged" when the colour differs from the one at the press. Picking
// in the field while the colour is black brings the brightness up, so that
// the pick shows.
//
// Attributes: barheight (skin pixels, default 16), cellsize (the size of the
// painted cells, default 6), thumbimage (drawn on the brightness bar).

#include <string>
#include <string_view>

#include "platform/ui/control.h"

namespace halvorn::ui {

class CColorPaletteUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "ColorPalette"; }

    // ARGB; the colour set is returned as set until the user picks.
    Color GetSelectColor() const { return selected_; }
    void SetSelectColor(Color argb);

    int GetBarHeight() const { return barHeight_; }
    void SetBarHeight(int height);

    // The two parts, in window pixels.
    Rect FieldRect() const;
    Rect BarRect() const;

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UIEvent& event) override;
    void PaintStatusImage(Canvas& canvas) override;

private:
    enum class Drag { kNone, kField, kBar };
    void PickAt(Point point);

    Color selected_ = 0xFFFF0000;
    double hue_ = 0;         // 0..360
    double saturation_ = 1;  // 0..1
    double brightness_ = 1;  // 0..1
    int barHeight_ = 16;
    int cellSize_ = 6;
    std::string thumbImage_;
    Drag drag_ = Drag::kNone;
    Color pressColor_ = 0;
};

// Colour conversions of the picker (hue 0..360, saturation and value 0..1).
Color HsvToArgb(double hue, double saturation, double value);
void ArgbToHsv(Color argb, double& hue, double& saturation, double& value);

}  // namespace halvorn::ui
