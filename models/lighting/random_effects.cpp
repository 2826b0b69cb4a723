// Random and phased effects, the custom keys, and the base effects as the
// keyboard shows them.

#include <array>

#include "models/lighting/base_effects.h"
#include "models/lighting/effect_draw.h"
#include "models/lighting/effect_steps.h"
#include "models/lighting/light_grid.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting::steps {

namespace {

constexpr int kPulseSize = static_cast<int>(std::tuple_size_v<decltype(kPulseCurve)>);
constexpr int kStaggerPeriod = 112;  // effect 18's phases

// Every key at the breathing curve of its level, levels running 0..period-1.
void DrawBreathing(const EffectState& state, const EffectContext& context, LedSpan leds,
                   int period) {
    const uint8_t multiplier = Multiplier(context);
    for (int key = 0; key < kKeyLightCount; ++key) {
        const uint8_t level = kPulseCurve[state.level[key] % period * kPulseSize / period];
        SetKey(leds, key, KeyColour(state, context, key), Scale(level, multiplier));
    }
}

// Levels rise by `step`; at 192 a key starts over in a new colour.
void RiseAndRestart(EffectState& state, int step) {
    for (int key = 0; key < kKeyLightCount; ++key) {
        const int level = state.level[key] + step;
        if (level >= kWheelSize) {
            state.level[key] = 0;
            state.colorIndex[key] = RandomWheelIndex(state);
        } else {
            state.level[key] = static_cast<uint8_t>(level);
        }
    }
}

}  // namespace

void Twinkle(EffectState& state, const EffectContext& context, LedSpan leds) {
    RiseAndRestart(state, 2);
    DrawBreathing(state, context, leds, kWheelSize);
}

void Starry(EffectState& state, const EffectContext& context, LedSpan leds) {
    for (uint8_t& level : state.level) {
        level = FallBack(level);
    }
    // Decayed first, so that the new stars show at full level.
    const auto keys = GridKeys();
    for (int i = 0; i < 6; ++i) {
        const uint8_t key = keys[NextRandom(state) % keys.size()];
        state.level[key] = 255;
        state.colorIndex[key] = RandomWheelIndex(state);
    }
    const uint8_t multiplier = Multiplier(context);
    for (int key = 0; key < kKeyLightCount; ++key) {
        SetKey(leds, key, KeyColour(state, context, key), Scale(state.level[key], multiplier));
    }
}

void BreathingWave(EffectState& state, const EffectContext& context, LedSpan leds) {
    for (int key = 0; key < kKeyLightCount; ++key) {
        state.level[key] = static_cast<uint8_t>((state.level[key] + 1) % kStaggerPeriod);
        // With colour cycle a key changes colour while it is dark.
        if (state.level[key] == 0) {
            state.colorIndex[key] = RandomWheelIndex(state);
        }
    }
    DrawBreathing(state, context, leds, kStaggerPeriod);
}

void Aurora(EffectState& state, const EffectContext& context, LedSpan leds) {
    RiseAndRestart(state, 1);
    DrawBreathing(state, context, leds, kWheelSize);
}

void CustomKeys(EffectState&, const EffectContext& context, LedSpan leds) {
    const uint8_t multiplier = Multiplier(context);
    for (LedEntry& led : leds) {
        led.brightness = multiplier;
    }
}

void Flash(EffectState& state, const EffectContext& context, LedSpan leds) {
    StepBlink(state.base, context.record, context.nowMs, leds);
}

void BreathingFour(EffectState& state, const EffectContext& context, LedSpan leds) {
    StepBreathingFourColours(state.base, context.record, context.nowMs, leds);
}

void FlashFour(EffectState& state, const EffectContext& context, LedSpan leds) {
    StepBlinkFourColours(state.base, context.record, context.nowMs, leds);
}

void Off(EffectState&, const EffectContext&, LedSpan leds) { StepOff(leds); }

void Spectrum(EffectState& state, const EffectContext& context, LedSpan leds) {
    StepSpectrum(state.base, context.record, context.nowMs, leds);
}

}  // namespace halvorn::lighting::steps
