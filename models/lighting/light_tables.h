#pragma once

// The constant tables every lighting effect draws from.

#include <array>
#include <cstdint>

#include "models/lighting/led_entry.h"

namespace halvorn::lighting {

// 192 colours around the hue circle, six segments of 32 steps (red, yellow,
// green, cyan, blue, magenta, red), from 255, 1, 0; entry 192 repeats entry 0.
inline constexpr int kWheelSize = 192;
extern const std::array<Rgb, kWheelSize + 1> kColorWheel;
// The wheel colour at any index, taken modulo 192.
Rgb WheelColor(int index);

extern const std::array<Rgb, 4> kFourColors;

// 0 rising to 255 at entries 63 and 64 and falling back to 0.
extern const std::array<uint8_t, 128> kPulseCurve;
// Entries 16..111 of the pulse curve: 22 up to 255 and back to 22.
extern const std::array<uint8_t, 96> kWaveCurve;
extern const std::array<uint8_t, 23> kFirstRamp;
extern const std::array<uint8_t, 23> kSecondRamp;

// Brightness levels 0..4 as multipliers; levels above 4 count as 4.
extern const std::array<uint8_t, 5> kBrightnessLevels;
uint8_t BrightnessMultiplier(int level);

// Speed levels 0..4 as 8, 6, 4, 2, 1 (the first period row); levels above 4
// count as 4.
int SlowPeriod(int speedLevel);
// The common row of the period table by speed level 0..4: the keyboard's
// effects and the colour wheel of the custom light list step at this pace.
inline constexpr std::array<int, 5> kCommonPeriods{10, 8, 5, 3, 1};
int CommonPeriod(int speedLevel);
// SlowPeriod * 200 ms: the blink interval of a speed level.
int BlinkIntervalMs(int speedLevel);

// 23 columns of six key indices from the top row down; kNoKey is an empty cell.
inline constexpr uint8_t kNoKey = 170;
inline constexpr int kGridColumns = 23;
inline constexpr int kGridRows = 6;
extern const std::array<std::array<uint8_t, kGridRows>, kGridColumns> kLightGrid;

// 12 rings of up to 12 key indices spreading out from the centre key (51);
// unused cells hold kNoKey.
inline constexpr int kRingCount = 12;
extern const std::array<std::array<uint8_t, 12>, kRingCount> kRingTable;

}  // namespace halvorn::lighting
