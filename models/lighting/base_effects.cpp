#include "models/lighting/base_effects.h"

#include "models/lighting/light_tables.h"

namespace halvorn::lighting {
namespace {

constexpr uint8_t kBreathPeriod = 128;
constexpr uint8_t kHueStep = 16;
constexpr uint8_t kLastHue = 192;

void Fill(LedSpan leds, Rgb colour, uint8_t brightness) {
    for (LedEntry& led : leds) {
        SetLed(led, colour, brightness);
    }
}

Rgb RecordColour(const LightModeRecord& record) { return {record.red, record.green, record.blue}; }

// 0, 16, ... 192 and back to 0; 192 shows the colour of 0.
uint8_t NextHue(uint8_t hue) {
    const int next = hue + kHueStep;
    return next > kLastHue ? 0 : static_cast<uint8_t>(next);
}

uint8_t NextFourColour(uint8_t index) { return index >= 3 ? 0 : static_cast<uint8_t>(index + 1); }

// The state is shared by all steps, so an index left by another effect may
// be out of this one's range.
Rgb FourColour(uint8_t index) { return kFourColors[index % kFourColors.size()]; }

// One breath: the phase walks the pulse curve; `advance` moves the colour on
// each time a breath ends.
template <typename Advance>
uint8_t Breathe(BaseEffectState& state, const LightModeRecord& record, Advance advance) {
    state.phase = PhaseStep(record.fx != 0, kBreathPeriod, state.phase, 1);
    if (state.phase == 0) {
        state.hue = advance(state.hue);
    }
    return Scale(kPulseCurve[state.phase % kBreathPeriod], BrightnessMultiplier(record.light));
}

// Toggles the blink state once the speed level's interval has passed.
template <typename Advance>
void BlinkTick(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
               Advance advance) {
    if (nowMs < state.lastBlinkTick) {
        // The clock went back (or the state came from elsewhere): start over.
        state.lastBlinkTick = nowMs;
        return;
    }
    if (nowMs - state.lastBlinkTick >= static_cast<uint64_t>(BlinkIntervalMs(record.speed))) {
        state.blinkOn = state.blinkOn ? 0 : 1;
        state.lastBlinkTick = nowMs;
        state.phase = advance(state.phase);
    }
}

}  // namespace

uint8_t PhaseStep(bool forward, uint8_t period, uint8_t phase, uint8_t step) {
    if (forward) {
        const int next = phase + step;
        return next >= period ? 0 : static_cast<uint8_t>(next);
    }
    const auto back = static_cast<uint8_t>(phase - step);
    if (back < period) {
        return back;
    }
    // A step wider than the period would land outside it.
    return step <= period ? static_cast<uint8_t>(period - step) : 0;
}

void StepBreathing(BaseEffectState& state, const LightModeRecord& record, uint64_t /*nowMs*/,
                   LedSpan leds) {
    const uint8_t brightness = Breathe(state, record, NextHue);
    Fill(leds, record.multiColor ? WheelColor(state.hue) : RecordColour(record), brightness);
}

void StepBreathingFourColours(BaseEffectState& state, const LightModeRecord& record,
                              uint64_t /*nowMs*/, LedSpan leds) {
    const uint8_t brightness = Breathe(state, record, NextFourColour);
    Fill(leds, FourColour(state.hue), brightness);
}

void StepStatic(BaseEffectState& /*state*/, const LightModeRecord& record, uint64_t /*nowMs*/,
                LedSpan leds) {
    Fill(leds, RecordColour(record), BrightnessMultiplier(record.light));
}

void StepSpectrum(BaseEffectState& state, const LightModeRecord& record, uint64_t /*nowMs*/,
                  LedSpan leds) {
    state.phase = PhaseStep(record.fx != 0, kWheelSize, state.phase, 1);
    Fill(leds, WheelColor(state.phase), BrightnessMultiplier(record.light));
}

void StepBlink(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
               LedSpan leds) {
    BlinkTick(state, record, nowMs, NextHue);
    if (!state.blinkOn) {
        Fill(leds, {}, 0);
        return;
    }
    Fill(leds, record.multiColor ? WheelColor(state.phase) : RecordColour(record),
         BrightnessMultiplier(record.light));
}

void StepBlinkFourColours(BaseEffectState& state, const LightModeRecord& record, uint64_t nowMs,
                          LedSpan leds) {
    BlinkTick(state, record, nowMs, NextFourColour);
    if (!state.blinkOn) {
        Fill(leds, {}, 0);
        return;
    }
    Fill(leds, FourColour(state.phase), BrightnessMultiplier(record.light));
}

void StepOff(LedSpan leds) { Fill(leds, {}, 0); }

}  // namespace halvorn::lighting
