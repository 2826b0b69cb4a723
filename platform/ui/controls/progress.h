#pragma once

// A progress bar: the part of its rectangle that stands for value between
// min and max, filled with foreimage (stretched over that part, or cut from
// an image as large as the control when isstretchfore is false) or
// forecolor. Horizontal (from the left) unless hor / horizontal is false
// (then from the bottom).
//
// The value is kept as set and read within the range, so the order of the
// skin's min, max and value attributes does not matter.

#include <string>
#include <string_view>

#include "platform/ui/controls/label.h"

namespace halvorn::ui {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::string_view GetClass() const override { return "Progress"; }

    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    void SetMinValue(int min);
    void SetMaxValue(int max);
    // Within [min, max] (min when max is below it).
    int GetValue() const;
    void SetValue(int value);
    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool on);
    const std::string& GetForeImage() const { return foreImage_; }
    void SetForeImage(std::string_view image);
    Color GetForeColor() const { return foreColor_; }
    void SetForeColor(Color color);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(Canvas& canvas) override;

protected:
    // The part of `rect` that stands for the current value.
    Rect ValueRect(const Rect& rect) const;

private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    bool horizontal_ = true;
    bool stretchFore_ = true;
    std::string foreImage_;
    Color foreColor_ = 0;
};

}  // namespace halvorn::ui
