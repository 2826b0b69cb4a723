#pragma once

// The skin's image strings: either a bare file name, or key='value' pairs
// (single or double quotes):
//   file='common\btn.png'  res='..' (the file when no file= is given)  restype='..' (ignored)
//   dest='l,t,r,b'  source='l,t,r,b'  corner='l,t,r,b'
//   mask='#FFRRGGBB' or '0xFFRRGGBB'  fade='0..255'
//   hole= xtiled= ytiled= hsl= 'true' / 'false'
// and the three tint arguments:
//   tint='#AARRGGBB'  opacity='0..255'  lit='true'

#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/geometry.h"

namespace halvorn::ui {

struct ImageSpec {
    std::string file;          // relative to the skin folder ('\\' or '/')
    std::optional<Rect> dest;  // relative to the control's rectangle
    std::optional<Rect> source;
    Rect corner;     // nine-patch edges kept unscaled
    Color mask = 0;  // colour drawn transparent
    int fade = 255;  // opacity 0..255
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
