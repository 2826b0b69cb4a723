// Reactive and ripple effects: levels that key presses and the wave planes
// raise, and that fall back frame by frame.

#include <algorithm>
#include <array>

#include "models/lighting/effect_draw.h"
#include "models/lighting/effect_steps.h"
#include "models/lighting/light_grid.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/reactive_spread.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting {

namespace {

// Held keys brighten, released keys fade out and are then forgotten.
void UpdateHeldKeys(EffectState& state) {
    for (int key = 0; key < kKeyLightCount; ++key) {
        if (state.mark[key] == 1) {
            state.level[key] = RaiseLevel(state.level[key], 15);
        } else if (state.mark[key] == 2) {
            state.level[key] = LowerLevel(state.level[key], 5);
            if (state.level[key] == 0) {
                state.mark[key] = 0;
            }
        }
    }
}

// Keys within reach of a held key other than `except`.
std::array<bool, kKeyLightCount> TouchedByHeldKeys(const EffectState& state, int except) {
    std::array<bool, kKeyLightCount> touched{};
    for (int key = 0; key < kKeyLightCount; ++key) {
        if (key != except && state.mark[key] == 1) {
            MarkKeysNear(key, kSpreadReach, touched);
        }
    }
    return touched;
}

void DrawLevels(const EffectState& state, const EffectContext& context, LedSpan leds) {
    const uint8_t multiplier = Multiplier(context);
    for (int key = 0; key < kKeyLightCount; ++key) {
        SetKey(leds, key, KeyColour(state, context, key), Scale(state.level[key], multiplier));
    }
}

}  // namespace

void PressSpreadKey(EffectState& state, int keyIndex) {
    state.mark[keyIndex] = 1;
    state.colorIndex[keyIndex] = RandomWheelIndex(state);
    std::array<uint8_t, kKeyLightCount> distances{};
    GridDistances(keyIndex, distances);
    for (int key = 0; key < kKeyLightCount; ++key) {
        if (key == keyIndex || distances[key] > kSpreadReach) {
            continue;
        }
        // A dark neighbour glows in the pressed key's colour.
        if (state.level[key] == 0 && state.neighbour[key] == 0) {
            state.colorIndex[key] = state.colorIndex[keyIndex];
        }
        state.neighbour[key] = RaiseLevel(state.neighbour[key], 60);
    }
}

void ReleaseSpreadKey(EffectState& state, int keyIndex) {
    if (state.mark[keyIndex] != 1) {
        return;
    }
    state.mark[keyIndex] = 2;
    const auto touched = TouchedByHeldKeys(state, keyIndex);
    std::array<uint8_t, kKeyLightCount> distances{};
    GridDistances(keyIndex, distances);
    for (int key = 0; key < kKeyLightCount; ++key) {
        if (key == keyIndex || distances[key] > kSpreadReach || touched[key]) {
            continue;
        }
        state.neighbour[key] = LowerLevel(state.neighbour[key], distances[key] == 1 ? 15 : 90);
    }
}

namespace steps {

void ReactiveSpread(EffectState& state, const EffectContext& context, LedSpan leds) {
    UpdateHeldKeys(state);
    // The glow a release left behind fades, except around keys still held.
    const auto touched = TouchedByHeldKeys(state, -1);
    for (int key = 0; key < kKeyLightCount; ++key) {
        if (!touched[key]) {
            state.neighbour[key] = LowerLevel(state.neighbour[key], 5);
        }
    }
    const uint8_t multiplier = Multiplier(context);
    for (int key = 0; key < kKeyLightCount; ++key) {
        const uint8_t level = std::max(state.level[key], state.neighbour[key]);
        SetKey(leds, key, KeyColour(state, context, key), Scale(level, multiplier));
    }
}

void ReactiveWave(EffectState& state, const EffectContext& context, LedSpan leds) {
    const bool cycle = ColourCycle(context);
    ApplyWavePlanes(state, cycle);
    AdvanceWavePlanes(state.planes);
    if (cycle) {
        for (uint8_t& index : state.colorIndex) {
            index = static_cast<uint8_t>((index + 7) % kWheelSize);
        }
    }
    DrawLevels(state, context, leds);
}

void Reactive(EffectState& state, const EffectContext& context, LedSpan leds) {
    UpdateHeldKeys(state);
    DrawLevels(state, context, leds);
}

void Ripple(EffectState& state, const EffectContext& context, LedSpan leds) {
    ApplyWavePlanes(state, ColourCycle(context));
    if (state.frame % 2 == 1) {
        AdvanceWavePlanes(state.planes);
    }
    // Below the bottom row of column 9: the ripple rises from there.
    if (PlanesEmpty(state.planes)) {
        MarkCellInPlanes(state.planes, 9, 6);
    }
    state.frame = (state.frame + 1) & 0x3fffffff;  // wraps at an even count
    DrawLevels(state, context, leds);
}

void CrossingRipple(EffectState& state, const EffectContext& context, LedSpan leds) {
    ApplyWavePlanes(state, ColourCycle(context));
    AdvanceWavePlanes(state.planes);
    if (PlanesEmpty(state.planes)) {
        MarkCellInPlanes(state.planes, 1, 0);
        MarkCellInPlanes(state.planes, kGridColumns - 1, kGridRows - 1);
    }
    DrawLevels(state, context, leds);
}

void ReactiveRipple(EffectState& state, const EffectContext& context, LedSpan leds) {
    ApplyWavePlanes(state, ColourCycle(context));
    AdvanceWavePlanes(state.planes);
    DrawLevels(state, context, leds);
}

}  // namespace steps

}  // namespace halvorn::lighting
