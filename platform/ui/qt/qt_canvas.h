#pragma once

// The control tree's Canvas over a QPainter: ARGB colours, skin images (dest
// and source rectangles, nine-patch corners, tiling, fade, mask colour,
// tint), text in the window's fonts, and nested clipping.

#include <QFont>
#include <QPainter>
#include <functional>
#include <string_view>

#include "platform/ui/canvas.h"
#include "platform/ui/qt/qt_image_cache.h"

namespace halvorn::ui {

class UiContext;

// A FontSpec as a QFont: pixel size, bold, underline, italic; an empty face
// keeps the application's default family.
QFont ToQFont(const FontSpec& font);
// The skin's text alignment flags as Qt's.
int ToQtAlignment(unsigned align);

class QtCanvas : public Canvas {
public:
    // Skin-relative image names resolve through `context`; `scale` is the
    // UI scale (1.0 at 96 dpi), applied to nine-patch corners.
    QtCanvas(QPainter& painter, QtImageCache& images, const UiContext& context, double scale);

    void FillRect(const Rect& rect, Color color) override;
    void FillRoundRect(const Rect& rect, Size round, Color color) override;
    void FillGradient(const Rect& rect, Color top, Color bottom) override;
    void DrawBorder(const Rect& rect, int width, Color color, Size round) override;
    void DrawLine(Point from, Point to, int width, Color color) override;
    bool DrawImage(const Rect& rect, const ImageSpec& image) override;
    void DrawText(const Rect& rect, std::string_view utf8, const FontSpec& font, Color color,
                  unsigned align) override;
    Size MeasureText(std::string_view utf8, const FontSpec& font) override;
    void PushClip(const Rect& rect) override;
    void PopClip() override;

private:
    void DrawPiece(const QImage& image, const QRect& source, const QRect& dest, bool xtiled,
                   bool ytiled);
    void DrawNinePatch(const QImage& image, const QRect& source, const QRect& dest,
                       const ImageSpec& imageSpec);

    QPainter& painter_;
    QtImageCache& images_;
    const UiContext& context_;
    double scale_;
    int clipDepth_ = 0;
};

}  // namespace halvorn::ui
