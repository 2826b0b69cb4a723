#pragma once

// The pixel size of a skin image read from its header alone, so that the
// headless tree can lay out and pan pictures without decoding them. Knows
// PNG, BMP, GIF and JPEG, the formats skins ship.

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/ui/geometry.h"

namespace halvorn::ui {

// None for data that is no image of a known format, or a header that is cut
// short or gives a size of 0.
std::optional<Size> ImageSizeFromBytes(std::string_view bytes);

// None when the file cannot be read (missing, not a regular file, too large
// for a skin file) or is no image it knows.
std::optional<Size> ReadImageSize(const std::filesystem::path& file);

}  // namespace halvorn::ui
