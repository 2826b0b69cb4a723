#pragma once

#include <algorithm>
#include <cstdint>

namespace halvorn::ui {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

// Left, top, right, bottom; right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    Rect Deflated(const Rect& by) const {
        return {left + by.left, top + by.top, right - by.right, bottom - by.bottom};
    }
    Rect Intersected(const Rect& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                std::min(bottom, o.bottom)};
    }
    bool operator==(const Rect&) const = default;
};

// Colours are ARGB words, 0xAARRGGBB; 0 means "none".
using Color = uint32_t;

}  // namespace halvorn::ui
