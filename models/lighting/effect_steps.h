#pragma once

// The keyboard's software effects by effect number: the period table, the
// initialisers and one step per effect.

#include "models/lighting/effect_state.h"

namespace halvorn::lighting {

using EffectStep = void (*)(EffectState& state, const EffectContext& context, LedSpan leds);

// The step of an effect number; null for effects without one (11, 12, 25,
// 31..39 and unknown numbers: the custom light list plays instead).
EffectStep FindEffectStep(int effect);

// Frames (light-thread ticks) between two steps at a speed level 0..4 (others
// count as 4); -1 for effects without a step. Effects 40..45 use the common
// row 10, 8, 5, 3, 1. Effect 29 is special: the period is 1 and it steps
// whenever more than one frame has passed.
int EffectPeriod(int effect, int speed);

// Clears the state (planes, levels, colour indices, marks, phases; the music
// inputs stay) and runs the effect's initialiser. Effect 21's own part (the
// custom colours and the key mask) is the keyboard's.
void InitialiseEffect(EffectState& state, int effect);

// A key press (action 1) or release (2) of a key index, for the reactive
// effects 8, 9 (and 16, its faster twin), 10 and 44; other effects, other
// actions and key indices outside 0..169 are ignored.
void KeyEvent(EffectState& state, int effect, int keyIndex, int action);

// Music input: the 25-band spectrum (values of the audio companion). With
// effect 29 in style 2 it also drives the beat ripple.
void SpectrumInput(EffectState& state, int effect, const AudioLightRecord& audio,
                   std::span<const int32_t> bands);
// The six-value colour input (effect 30 shows values 0..2 as red, green, blue).
void ColorInput(EffectState& state, std::span<const int32_t> values);

// The steps, grouped by the files that implement them. Each writes all 170
// entries of `leds` (fewer when the span is shorter).
namespace steps {
// Sweeps and gradients (sweep_effects.cpp).
void Wave(EffectState&, const EffectContext&, LedSpan);         // 1
void Flow(EffectState&, const EffectContext&, LedSpan);         // 2
void Rings(EffectState&, const EffectContext&, LedSpan);        // 3
void ColourPath(EffectState&, const EffectContext&, LedSpan);   // 4
void StaticRings(EffectState&, const EffectContext&, LedSpan);  // 5
void Breathing(EffectState&, const EffectContext&, LedSpan);    // 6
void Gradient(EffectState&, const EffectContext&, LedSpan);     // 7
void Tide(EffectState&, const EffectContext&, LedSpan);         // 19
void RunningKey(EffectState&, const EffectContext&, LedSpan);   // 24
void RainbowRows(EffectState&, const EffectContext&, LedSpan);  // 41
void Neon(EffectState&, const EffectContext&, LedSpan);         // 42
void ThemeColour(EffectState&, const EffectContext&, LedSpan);  // 45
// Reactive and ripple effects (reactive_effects.cpp).
void ReactiveSpread(EffectState&, const EffectContext&, LedSpan);  // 8
void ReactiveWave(EffectState&, const EffectContext&, LedSpan);    // 9, 16
void Reactive(EffectState&, const EffectContext&, LedSpan);        // 10
void Ripple(EffectState&, const EffectContext&, LedSpan);          // 14
void CrossingRipple(EffectState&, const EffectContext&, LedSpan);  // 22
void ReactiveRipple(EffectState&, const EffectContext&, LedSpan);  // 44
// Random and phased effects (random_effects.cpp).
void Twinkle(EffectState&, const EffectContext&, LedSpan);        // 15
void Starry(EffectState&, const EffectContext&, LedSpan);         // 17
void BreathingWave(EffectState&, const EffectContext&, LedSpan);  // 18
void Aurora(EffectState&, const EffectContext&, LedSpan);         // 20
void CustomKeys(EffectState&, const EffectContext&, LedSpan);     // 21
// Base steps on the keyboard (random_effects.cpp).
void Flash(EffectState&, const EffectContext&, LedSpan);          // 23
void BreathingFour(EffectState&, const EffectContext&, LedSpan);  // 26
void FlashFour(EffectState&, const EffectContext&, LedSpan);      // 27
void Off(EffectState&, const EffectContext&, LedSpan);            // 28
void Spectrum(EffectState&, const EffectContext&, LedSpan);       // 40
// Scripted shows (show_effects.cpp).
void LightShow(EffectState&, const EffectContext&, LedSpan);   // 13
void LightShow2(EffectState&, const EffectContext&, LedSpan);  // 43
// Music (music_effects.cpp).
void Music(EffectState&, const EffectContext&, LedSpan);        // 29
void MusicColour(EffectState&, const EffectContext&, LedSpan);  // 30
}  // namespace steps

// Initialisers other than the common colour-index sum (effect_steps.cpp
// calls them from InitialiseEffect).
void InitialiseLightShow(EffectState& state);   // 13
void InitialiseLightShow2(EffectState& state);  // 43

}  // namespace halvorn::lighting
