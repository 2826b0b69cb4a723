#pragma once

// The skin's image strings: either a bare file name, or key='value' pairs:
// file, res, restype, dest, source, corner, mask, fade, hole, xtiled, ytiled,
// hsl, and the three tint arguments (tint colour, opacity 0..255, lit flag).

#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/geometry.h"

namespace halvorn::ui {

struct ImageSpec {
    std::string file;          // relative to the skin folder ('\\' or '/')
    std::optional<Rect> dest;  // relative to the control's rectangle
    std::optional<Rect> source;
    Rect corner;               // nine-patch edges kept unscaled
    Color mask = 0;            // colour drawn transparent
    int fade = 255;            // opacity 0..255
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    bool hsl = false;
    // Tint: draw the image's shape in `tint` at `tintOpacity`, when `lit`.
    Color tint = 0;
    int tintOpacity = 255;
    bool lit = false;

    bool operator==(const ImageSpec&) const = default;
};

// None for an empty string or one that names no file. Unknown keys are ignored.
std::optional<ImageSpec> ParseImageString(std::string_view text);

// The rectangle an image covers inside `controlRect`: its dest, else the whole rect.
Rect ImageDestination(const ImageSpec& image, const Rect& controlRect, double scale);

}  // namespace halvorn::ui
