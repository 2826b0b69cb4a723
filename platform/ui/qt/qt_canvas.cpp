#include "platform/ui/qt/qt_canvas.h"

#include <QColor>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPen>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cmath>

#include "platform/ui/ui_context.h"

namespace halvorn::ui {

namespace {

QRect ToQRect(const Rect& rect) { return QRect(rect.left, rect.top, rect.Width(), rect.Height()); }

bool Invisible(Color color) { return (color >> 24) == 0; }

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The three spans [a, a+lead), [a+lead, b-trail), [b-trail, b) of an axis.
struct Spans {
    int edge[4];
};

Spans SplitAxis(int from, int to, int lead, int trail) {
    const int length = to - from;
    lead = std::clamp(lead, 0, length);
    trail = std::clamp(trail, 0, length - lead);
    return {{from, from + lead, to - trail, to}};
}

}  // namespace

QFont ToQFont(const FontSpec& font) {
    QFont result;
    if (!font.face.empty()) result.setFamily(QString::fromStdString(font.face));
    result.setPixelSize(std::max(1, font.size));
    result.setBold(font.bold);
    result.setUnderline(font.underline);
    result.setItalic(font.italic);
    return result;
}

int ToQtAlignment(unsigned align) {
    int flags = 0;
    if (align & text_align::kCenter) {
        flags |= Qt::AlignHCenter;
    } else if (align & text_align::kRight) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    if (align & text_align::kVCenter) {
        flags |= Qt::AlignVCenter;
    } else if (align & text_align::kBottom) {
        flags |= Qt::AlignBottom;
    } else {
        flags |= Qt::AlignTop;
    }
    if (align & text_align::kSingleLine) {
        flags |= Qt::TextSingleLine;
    } else if (align & text_align::kWordBreak) {
        flags |= Qt::TextWordWrap;
    }
    return flags;
}

QtCanvas::QtCanvas(QPainter& painter, QtImageCache& images, const UiContext& context, double scale)
    : painter_(painter), images_(images), context_(context), scale_(scale) {}

void QtCanvas::FillRect(const Rect& rect, Color color) {
    if (rect.Empty() || Invisible(color)) return;
    painter_.fillRect(ToQRect(rect), QColor::fromRgba(color));
}

void QtCanvas::FillRoundRect(const Rect& rect, Size round, Color color) {
    if (round.cx <= 0 || round.cy <= 0) return FillRect(rect, color);
    if (rect.Empty() || Invisible(color)) return;
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QColor::fromRgba(color));
    painter_.drawRoundedRect(QRectF(ToQRect(rect)), round.cx / 2.0, round.cy / 2.0);
    painter_.restore();
}

void QtCanvas::FillGradient(const Rect& rect, Color top, Color bottom) {
    if (rect.Empty() || (Invisible(top) && Invisible(bottom))) return;
    QLinearGradient gradient(0, rect.top, 0, rect.bottom);
    gradient.setColorAt(0, QColor::fromRgba(top));
    gradient.setColorAt(1, QColor::fromRgba(bottom));
    painter_.fillRect(ToQRect(rect), gradient);
}

void QtCanvas::DrawBorder(const Rect& rect, int width, Color color, Size round) {
    if (rect.Empty() || width <= 0 || Invisible(color)) return;
    // The pen is centred on the path: inset by half the width so that the
    // border stays inside the rectangle, as the skin expects.
    const double half = width / 2.0;
    QRectF inner(rect.left + half, rect.top + half, rect.Width() - width, rect.Height() - width);
    painter_.save();
    QPen pen(QColor::fromRgba(color));
    pen.setWidth(width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    if (round.cx > 0 && round.cy > 0) {
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.drawRoundedRect(inner, round.cx / 2.0, round.cy / 2.0);
    } else {
        painter_.drawRect(inner);
    }
    painter_.restore();
}

void QtCanvas::DrawLine(Point from, Point to, int width, Color color) {
    if (width <= 0 || Invisible(color)) return;
    painter_.save();
    QPen pen(QColor::fromRgba(color));
    pen.setWidth(width);
    painter_.setPen(pen);
    painter_.drawLine(from.x, from.y, to.x, to.y);
    painter_.restore();
}

bool QtCanvas::DrawImage(const Rect& rect, const ImageSpec& imageSpec) {
    if (imageSpec.file.empty()) return false;
    const std::filesystem::path file = context_.SkinPath(imageSpec.file);
    const QImage* image = images_.Get(file, imageSpec.mask);
    if (!image) return false;
    QRect source = image->rect();
    // source='0,0,0,0' means the whole image, as everywhere in the skin.
    if (imageSpec.source && *imageSpec.source != Rect{}) {
        source = source.intersected(ToQRect(*imageSpec.source));
    }
    if (source.isEmpty() || rect.Empty()) return true;  // nothing to show, nothing wrong
    const QRect dest = ToQRect(rect);

    painter_.save();
    const double opacity = painter_.opacity() * std::clamp(imageSpec.fade, 0, 255) / 255.0;
    painter_.setOpacity(opacity);
    DrawNinePatch(*image, source, dest, imageSpec);
    if (imageSpec.lit) {
        if (const QImage* tinted = images_.Tinted(file, imageSpec.mask, imageSpec.tint)) {
            painter_.setOpacity(opacity * std::clamp(imageSpec.tintOpacity, 0, 255) / 255.0);
            DrawNinePatch(*tinted, source, dest, imageSpec);
        }
    }
    painter_.restore();
    return true;
}

void QtCanvas::DrawNinePatch(const QImage& image, const QRect& source, const QRect& dest,
                             const ImageSpec& imageSpec) {
    const Rect& corner = imageSpec.corner;
    if (corner == Rect{}) {
        if (!imageSpec.hole) DrawPiece(image, source, dest, imageSpec.xtiled, imageSpec.ytiled);
        return;
    }
    auto scaled = [this](int v) { return static_cast<int>(std::lround(v * scale_)); };
    const Spans sx =
        SplitAxis(source.left(), source.left() + source.width(), corner.left, corner.right);
    const Spans sy =
        SplitAxis(source.top(), source.top() + source.height(), corner.top, corner.bottom);
    const Spans dx = SplitAxis(dest.left(), dest.left() + dest.width(),
                               scaled(sx.edge[1] - sx.edge[0]), scaled(sx.edge[3] - sx.edge[2]));
    const Spans dy = SplitAxis(dest.top(), dest.top() + dest.height(),
                               scaled(sy.edge[1] - sy.edge[0]), scaled(sy.edge[3] - sy.edge[2]));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const bool centre = row == 1 && column == 1;
            if (centre && imageSpec.hole) continue;
            const QRect from(QPoint(sx.edge[column], sy.edge[row]),
                             QPoint(sx.edge[column + 1] - 1, sy.edge[row + 1] - 1));
            const QRect to(QPoint(dx.edge[column], dy.edge[row]),
                           QPoint(dx.edge[column + 1] - 1, dy.edge[row + 1] - 1));
            if (from.isEmpty() || to.isEmpty()) continue;
            DrawPiece(image, from, to, centre && imageSpec.xtiled, centre && imageSpec.ytiled);
        }
    }
}

void QtCanvas::DrawPiece(const QImage& image, const QRect& source, const QRect& dest, bool xtiled,
                         bool ytiled) {
    if (!xtiled && !ytiled) {
        painter_.drawImage(QRectF(dest), image, QRectF(source));
        return;
    }
    const int tileWidth = xtiled ? source.width() : dest.width();
    const int tileHeight = ytiled ? source.height() : dest.height();
    painter_.save();
    painter_.setClipRect(dest, Qt::IntersectClip);
    for (int y = dest.top(); y <= dest.bottom(); y += tileHeight) {
        for (int x = dest.left(); x <= dest.right(); x += tileWidth) {
            painter_.drawImage(QRectF(x, y, tileWidth, tileHeight), image, QRectF(source));
        }
    }
    painter_.restore();
}

void QtCanvas::DrawText(const Rect& rect, std::string_view utf8, const FontSpec& font, Color color,
                        unsigned align) {
    if (utf8.empty() || rect.Empty()) return;
    // A control without a text colour of its own shows black text, not none.
    if (color == 0) color = 0xFF000000u;
    const QFont qfont = ToQFont(font);
    QString text = ToQString(utf8);
    if ((align & text_align::kEndEllipsis) && !(align & text_align::kWordBreak)) {
        text = QFontMetrics(qfont).elidedText(text, Qt::ElideRight, rect.Width());
    }
    painter_.save();
    painter_.setFont(qfont);
    painter_.setPen(QColor::fromRgba(color));
    painter_.drawText(ToQRect(rect), ToQtAlignment(align), text);
    painter_.restore();
}

Size QtCanvas::MeasureText(std::string_view utf8, const FontSpec& font) {
    const QFontMetrics metrics(ToQFont(font));
    return {metrics.horizontalAdvance(ToQString(utf8)), metrics.height()};
}

void QtCanvas::PushClip(const Rect& rect) {
    painter_.save();
    ++clipDepth_;
    painter_.setClipRect(ToQRect(rect),
                         painter_.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void QtCanvas::PopClip() {
    if (clipDepth_ == 0) return;  // unbalanced: keep the painter's own state
    --clipDepth_;
    painter_.restore();
}

}  // namespace halvorn::ui
