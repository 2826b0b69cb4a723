#pragma once

// Small drawing helpers shared by the keyboard's effect steps. Every write is
// bounded by the span, so a step can be given fewer than 170 entries.

#include <cstddef>
#include <cstdint>

#include "models/lighting/effect_state.h"
#include "models/lighting/led_entry.h"
#include "models/lighting/light_tables.h"

namespace halvorn::lighting {

inline bool ColourCycle(const EffectContext& context) { return context.record.multiColor != 0; }
inline bool Forward(const EffectContext& context) { return context.record.fx != 0; }
inline uint8_t Multiplier(const EffectContext& context) {
    return BrightnessMultiplier(context.record.light);
}
inline Rgb SingleColour(const EffectContext& context) {
    return {context.record.red, context.record.green, context.record.blue};
}
// The key's own wheel colour with colour cycle, else the single colour.
inline Rgb KeyColour(const EffectState& state, const EffectContext& context, int key) {
    return ColourCycle(context) ? WheelColor(state.colorIndex[key]) : SingleColour(context);
}

inline void SetKey(LedSpan leds, int key, Rgb colour, uint8_t brightness) {
    if (key >= 0 && static_cast<std::size_t>(key) < leds.size()) {
        SetLed(leds[key], colour, brightness);
    }
}

inline void FillAll(LedSpan leds, Rgb colour, uint8_t brightness) {
    for (LedEntry& led : leds) {
        SetLed(led, colour, brightness);
    }
}

// f(column, row, key) for every grid cell that holds a key.
template <class F>
void ForEachGridCell(F&& f) {
    for (int column = 0; column < kGridColumns; ++column) {
        for (int row = 0; row < kGridRows; ++row) {
            const uint8_t key = kLightGrid[column][row];
            if (key != kNoKey) {
                f(column, row, static_cast<int>(key));
            }
        }
    }
}

// f(ring, key) for every key of the ring table.
template <class F>
void ForEachRingKey(F&& f) {
    for (int ring = 0; ring < kRingCount; ++ring) {
        for (uint8_t key : kRingTable[ring]) {
            if (key != kNoKey) {
                f(ring, static_cast<int>(key));
            }
        }
    }
}

// Advances a level towards 255 or 0 without leaving the byte.
inline uint8_t RaiseLevel(uint8_t level, int by) {
    return static_cast<uint8_t>(level + by > 255 ? 255 : level + by);
}
inline uint8_t LowerLevel(uint8_t level, int by) {
    return static_cast<uint8_t>(level < by ? 0 : level - by);
}

}  // namespace halvorn::lighting
