#pragma once

// Skin images loaded once per window system: by file and mask colour, and
// tinted copies by tint colour. A file that cannot be loaded is remembered
// as missing, so a broken skin costs one failed read per image, not one per
// paint.

#include <QImage>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "platform/ui/geometry.h"

namespace halvorn::ui {

class QtImageCache {
public:
    // The image, with every pixel of the mask colour (alpha ignored) made
    // transparent when `mask` is not 0; null when the file cannot be read.
    const QImage* Get(const std::filesystem::path& file, Color mask = 0);
    // The image's shape filled with `tint` (the image's alpha kept).
    const QImage* Tinted(const std::filesystem::path& file, Color mask, Color tint);

    void Clear() { images_.clear(); }
    size_t Size() const { return images_.size(); }

private:
    using Key = std::tuple<std::string, Color, Color, bool>;  // file, mask, tint, tinted
    std::map<Key, std::optional<QImage>> images_;
};

}  // namespace halvorn::ui
