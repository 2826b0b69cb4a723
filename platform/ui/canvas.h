#pragma once

// What controls draw on. The Qt renderer implements it with QPainter; tests
// use a recording canvas. Controls never see the renderer.

#include <string>
#include <string_view>

#include "platform/ui/geometry.h"
#include "platform/ui/image_string.h"

namespace halvorn::ui {

namespace text_align {
inline constexpr unsigned kLeft = 0x0;
inline constexpr unsigned kCenter = 0x1;
inline constexpr unsigned kRight = 0x2;
inline constexpr unsigned kVCenter = 0x4;
inline constexpr unsigned kTop = 0x0;
inline constexpr unsigned kBottom = 0x8;
inline constexpr unsigned kSingleLine = 0x20;
inline constexpr unsigned kWordBreak = 0x10;
inline constexpr unsigned kEndEllipsis = 0x8000;
}  // namespace text_align

// A font of the window's font table, resolved by the paint manager.
struct FontSpec {
    std::string face;
    int size = 14;  // pixels, before the UI scale
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void FillRect(const Rect& rect, Color color) = 0;
    virtual void FillRoundRect(const Rect& rect, Size round, Color color) = 0;
    // A vertical gradient from `top` to `bottom` (a plain fill by default).
    virtual void FillGradient(const Rect& rect, Color top, Color bottom) {
        (void)bottom;
        FillRect(rect, top);
    }
    virtual void DrawBorder(const Rect& rect, int width, Color color, Size round) = 0;
    virtual void DrawLine(Point from, Point to, int width, Color color) = 0;
    // An image string with "dest" and "source" already resolved against
    // `rect`; false when the image file cannot be loaded.
    virtual bool DrawImage(const Rect& rect, const ImageSpec& image) = 0;
    virtual void DrawText(const Rect& rect, std::string_view utf8, const FontSpec& font,
                          Color color, unsigned align) = 0;
    virtual Size MeasureText(std::string_view utf8, const FontSpec& font) = 0;
    // Limits drawing to `rect` until the matching PopClip.
    virtual void PushClip(const Rect& rect) = 0;
    virtual void PopClip() = 0;
};

}  // namespace halvorn::ui
