#pragma once

// The seven effects every device can show in software, as pure steps of a
// small state and the light record. Each writes every entry of `leds`.

#include <cstdint>

#include "models/lighting/led_entry.h"
#include "profile/profile_records.h"

namespace halvorn::lighting {

struct BaseEffectState {
    uint8_t phase = 0;
    uint8_t hue = 0;
    uint8_t blinkOn = 0;
    uint64_t lastBlinkTick = 0;  // ms

    bool operator==(const BaseEffectState&) const = default;
};

// Forward: phase + step, or 0 once that reaches the period. Backward:
// phase - step while that stays below the period (as a byte), else period -
// step.
uint8_t PhaseStep(bool forward, uint8_t period, uint8_t phase, uint8_t step);

// record.fx chooses the direction (nonzero forward), record.light the
// brightness level, record.speed the blink interval; nowMs is a steady clock.
void StepBreathing(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
                   LedSpan leds);
void StepBreathingFourColours(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
                              LedSpan leds);
void StepStatic(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
                LedSpan leds);
void StepSpectrum(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
                  LedSpan leds);
void StepBlink(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs, LedSpan leds);
void StepBlinkFourColours(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
                          LedSpan leds);
void StepOff(LedSpan leds);

}  // namespace halvorn::lighting
