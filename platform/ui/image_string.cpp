#include "platform/ui/image_string.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/ui/control.h"
#include "platform/ui/ui_text.h"

// Keys of an image string (values in single or double quotes):
//   file='a.png'     the image, relative to the skin folder
//   res='a.png'      the same when no file is given (resource names are files here);
//   restype='..'     ignored
//   dest='l,t,r,b'   where it goes, relative to the control, in skin pixels
//   source='l,t,r,b' the part of the image to draw, in image pixels
//   corner='l,t,r,b' nine-patch edges drawn unscaled
//   mask='#FFRRGGBB' or '0xFFRRGGBB'  colour drawn transparent
//   fade='0..255'    opacity
//   hole, xtiled, ytiled, hsl = 'true' / 'false'
//   tint='#AARRGGBB' the colour the image's shape is drawn in when lit
//   opacity='0..255' the tint's opacity
//   lit='true'       draw the tinted shape

namespace halvorn::ui {

namespace {

bool IsKeyChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// True when the text starts with key= (the key-value form) rather than a file name.
bool LooksLikePairs(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsKeyChar(s[i])) ++i;
    if (i == 0) return false;
    while (i < s.size() && s[i] == ' ') ++i;
    return i < s.size() && s[i] == '=';
}

int Byte(std::string_view text) { return std::clamp(ParseInt(text, 255), 0, 255); }

void Apply(ImageSpec& image, std::string& res, std::string_view key, std::string_view value) {
    if (key == "file") {
        image.file = std::string(value);
    } else if (key == "res") {
        res = std::string(value);
    } else if (key == "dest") {
        image.dest = ParseRect(value);
    } else if (key == "source") {
        image.source = ParseRect(value);
    } else if (key == "corner") {
        image.corner = ParseRect(value);
    } else if (key == "mask") {
        image.mask = ParseColor(value);
    } else if (key == "fade") {
        image.fade = Byte(value);
    } else if (key == "hole") {
        image.hole = ParseBool(value);
    } else if (key == "xtiled") {
        image.xtiled = ParseBool(value);
    } else if (key == "ytiled") {
        image.ytiled = ParseBool(value);
    } else if (key == "hsl") {
        image.hsl = ParseBool(value);
    } else if (key == "tint") {
        image.tint = ParseColor(value);
    } else if (key == "opacity") {
        image.tintOpacity = Byte(value);
    } else if (key == "lit") {
        image.lit = ParseBool(value);
    }
}

int ScaleEdge(int v, double scale) { return static_cast<int>(std::lround(v * scale)); }

}  // namespace

std::optional<ImageSpec> ParseImageString(std::string_view text) {
    text = TrimSpace(text);
    ImageSpec image;
    if (!LooksLikePairs(text)) {
        if (text.empty()) return std::nullopt;
        image.file = std::string(text);
        return image;
    }
    std::string res;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        const size_t keyStart = i;
        while (i < text.size() && IsKeyChar(text[i])) ++i;
        const std::string_view key = text.substr(keyStart, i - keyStart);
        while (i < text.size() && text[i] == ' ') ++i;
        if (key.empty() || i >= text.size() || text[i] != '=') break;  // malformed: keep what came
        ++i;
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size() || (text[i] != '\'' && text[i] != '"')) break;
        const char quote = text[i++];
        const size_t close = text.find(quote, i);
        if (close == std::string_view::npos) break;
        Apply(image, res, key, TrimSpace(text.substr(i, close - i)));
        i = close + 1;
    }
    if (image.file.empty()) image.file = std::move(res);
    if (TrimSpace(image.file).empty()) return std::nullopt;
    return image;
}

Rect ImageDestination(const ImageSpec& image, const Rect& controlRect, double scale) {
    if (!image.dest) return controlRect;
    const Rect& d = *image.dest;
    const Rect placed{
        controlRect.left + ScaleEdge(d.left, scale), controlRect.top + ScaleEdge(d.top, scale),
        controlRect.left + ScaleEdge(d.right, scale), controlRect.top + ScaleEdge(d.bottom, scale)};
    // An image never spills out of its control.
    return placed.Intersected(controlRect);
}

}  // namespace halvorn::ui
