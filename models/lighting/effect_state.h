#pragma once

// What the keyboard's software effects keep from one frame to the next, and
// what a step reads besides it. Every effect step is a pure function of these.

#include <array>
#include <cstdint>

#include "models/lighting/base_effects.h"
#include "models/lighting/led_entry.h"
#include "profile/profile_records.h"

namespace halvorn::lighting {

inline constexpr int kSpectrumBands = 25;

// Four planes of 23 columns, one bit per grid row (bit 0 the top row).
using WavePlanes = std::array<std::array<uint8_t, 23>, 4>;

struct EffectState {
    uint8_t phase = 0;
    uint8_t phase2 = 0;
    std::array<uint8_t, kKeyLightCount> level{};
    std::array<uint8_t, kKeyLightCount> colorIndex{};  // into the colour wheel
    WavePlanes planes{};
    // Scripted shows (effects 13 and 43).
    int scriptState = 0;
    int scriptCounter = 0;
    int scriptStep = 0;
    // Reactive effects: 1 held, 2 released (fading); effect 8's neighbour levels.
    std::array<uint8_t, kKeyLightCount> mark{};
    std::array<uint8_t, kKeyLightCount> neighbour{};
    // Music (effect 29): the last 25-band spectrum, four history buffers for
    // the renderers, the six-value colour input, and the beat total of style 2.
    std::array<int32_t, kSpectrumBands> spectrum{};
    std::array<std::array<uint8_t, 100>, 4> spectrumHistory{};
    std::array<int32_t, 6> colorInput{};
    int32_t beatTotal = 0;
    int frame = 0;  // frames since the effect started, for effects that alternate
    BaseEffectState base;
    uint32_t random = 0x2545F491u;  // xorshift32; never 0
};

// What a step reads besides its state.
struct EffectContext {
    LightModeRecord record;  // the light record: colour, brightness, speed, direction
    AudioLightRecord audio;  // effect 29's style is audio.audioMode
    uint64_t nowMs = 0;      // steady clock
};

// Deterministic pseudo-random numbers of the state (xorshift32).
uint32_t NextRandom(EffectState& state);
// A random colour-wheel index 0..191.
uint8_t RandomWheelIndex(EffectState& state);

}  // namespace halvorn::lighting
