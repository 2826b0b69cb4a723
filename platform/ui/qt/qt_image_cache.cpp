#include "platform/ui/qt/qt_image_cache.h"

#include <QColor>
#include <QPainter>
#include <QString>

namespace halvorn::ui {

namespace {

QImage MaskedCopy(QImage image, Color mask) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = mask & 0x00FFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) == key) line[x] = 0;
        }
    }
    return image;
}

}  // namespace

const QImage* QtImageCache::Get(const std::filesystem::path& file, Color mask) {
    Key key{file.string(), mask, 0, false};
    auto found = images_.find(key);
    if (found == images_.end()) {
        QImage image(QString::fromStdString(file.string()));
        std::optional<QImage> entry;
        if (!image.isNull()) {
            entry = mask != 0 ? MaskedCopy(std::move(image), mask)
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
        found = images_.emplace(std::move(key), std::move(entry)).first;
    }
    return found->second ? &*found->second : nullptr;
}

const QImage* QtImageCache::Tinted(const std::filesystem::path& file, Color mask, Color tint) {
    Key key{file.string(), mask, tint, true};
    auto found = images_.find(key);
    if (found == images_.end()) {
        std::optional<QImage> entry;
        if (const QImage* base = Get(file, mask)) {
            QImage shape = base->convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&shape);
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(shape.rect(), QColor::fromRgb(tint | 0xFF000000u));
            painter.end();
            entry = std::move(shape);
        }
        found = images_.emplace(std::move(key), std::move(entry)).first;
    }
    return found->second ? &*found->second : nullptr;
}

}  // namespace halvorn::ui
