#pragma once

// Small helpers the built-in controls share: scaling through the control's
// window, fonts, images drawn into part of a control, status images by state.

#include <string>
#include <string_view>

#include "platform/ui/canvas.h"
#include "platform/ui/control.h"

namespace halvorn::ui {

// Text colours used when the skin sets none (0 means "none").
inline constexpr Color kDefaultTextColor = 0xFF000000;
inline constexpr Color kDefaultDisabledTextColor = 0xFFA7A6AA;

inline Color ColorOr(Color color, Color fallback) { return color != 0 ? color : fallback; }

// The window's UI scale as a factor (1 without a window).
double ScaleFactor(const CControlUI& control);

// The control's font `index` from its window's font table (scaled); the
// default font when the control is in no window.
FontSpec FontOf(const CControlUI& control, int index);

// Draws an image string into `target` (window pixels): its "dest", if any, is
// taken relative to `target`. False when it names no file or cannot be drawn.
bool DrawImageIn(Canvas& canvas, const CControlUI& control, std::string_view imageString,
                 const Rect& target);

// The status images of a control: the one of the current state, or the
// normal image when the state has none (the skin library's fallback).
struct StateImages {
    std::string normal;
    std::string hot;
    std::string pushed;
    std::string focused;
    std::string disabled;

    // "normalimage", "hotimage", ... with an optional prefix ("thumb" gives
    // "thumbimage", "thumbhotimage", "thumbpushedimage"); true when taken.
    bool SetAttribute(std::string_view name, std::string_view value, std::string_view prefix = "");
    const std::string& Pick(bool enabled, bool pushed, bool hot, bool focused) const;
};

// The text colours of a control by state; 0 means "as normal".
struct StateTextColors {
    Color hot = 0;
    Color pushed = 0;
    Color focused = 0;

    bool SetAttribute(std::string_view name, std::string_view value);
    Color Pick(const CControlUI& control, bool pushed, bool hot) const;
};

// Number of code points of UTF-8 text, and the byte offset of code point `n`.
size_t Utf8Length(std::string_view text);
size_t Utf8Offset(std::string_view text, size_t n);
// One code point as UTF-8 (invalid ones become U+FFFD).
std::string Utf8Encode(char32_t c);
// The first code point of UTF-8 text (U+FFFD when malformed, 0 when empty).
char32_t FirstCodePoint(std::string_view text);

}  // namespace halvorn::ui
