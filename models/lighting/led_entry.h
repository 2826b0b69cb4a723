#pragma once

// The colour the lighting gives one light: what the picture's dots show and
// what a light frame carries.

#include <cstdint>
#include <span>

namespace halvorn::lighting {

// Key indices 0..169 all carry a light; only 0..125 carry assignments.
inline constexpr int kKeyLightCount = 170;
inline constexpr int kAssignableKeyCount = 126;

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

// brightness is a multiplier applied as value * brightness / 256; selected
// is used only by the custom-key effect.
struct LedEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t brightness = 0;
    uint8_t selected = 0;

    bool operator==(const LedEntry&) const = default;
};
static_assert(sizeof(LedEntry) == 5);

using LedSpan = std::span<LedEntry>;

inline void SetLed(LedEntry& led, Rgb colour, uint8_t brightness) {
    led.red = colour.red;
    led.green = colour.green;
    led.blue = colour.blue;
    led.brightness = brightness;
}

// value * brightness / 256: the high byte of the 16-bit product.
constexpr uint8_t Scale(uint8_t value, uint8_t brightness) {
    return static_cast<uint8_t>((value * brightness) >> 8);
}

}  // namespace halvorn::lighting
