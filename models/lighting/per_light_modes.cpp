#include <algorithm>

#include "models/lighting/custom_light_player.h"
#include "models/lighting/light_tables.h"

namespace halvorn::lighting {
namespace {

enum LightMode : uint8_t {
    kBreathing = 0,
    kStatic = 1,
    kFlash = 2,
    kColourWheel = 3,
    kOff = 4,
};

constexpr int kBreathPeriod = 128;
constexpr int kLastHue = kWheelSize - 1;
constexpr int kFlashHueStep = 14;

uint8_t NextHue(uint8_t hue) { return hue >= kLastHue ? 0 : static_cast<uint8_t>(hue + 1); }

Rgb RecordColour(const LightModeRecord& record) { return {record.red, record.green, record.blue}; }

int ClampedSpeed(const LightModeRecord& record) { return std::min<int>(record.speed, 4); }

// Runs for every light, whatever its mode, so that a light switched to
// flash keeps the rhythm it had.
void FlipTimer(PerLightState& state, const LightModeRecord& record, uint64_t nowMs) {
    const uint64_t period =
        state.flipPeriodMs != 0 ? state.flipPeriodMs : BlinkIntervalMs(record.speed);
    if (nowMs < state.lastFlip) {
        state.lastFlip = nowMs;
        return;
    }
    if (nowMs - state.lastFlip >= period) {
        state.on = state.on ? 0 : 1;
        state.lastFlip = nowMs;
        const int hue = state.flashHue + kFlashHueStep;
        state.flashHue = hue > kLastHue ? 0 : static_cast<uint8_t>(hue);
    }
}

void Breathe(PerLightState& state, const LightModeRecord& record, LedEntry& led) {
    const int phase = state.phase + ClampedSpeed(record) + 4;
    if (phase >= kBreathPeriod) {
        state.phase = 0;
        state.hue = NextHue(state.hue);
    } else {
        state.phase = static_cast<uint8_t>(phase);
    }
    SetLed(led, record.multiColor ? WheelColor(state.hue) : RecordColour(record),
           Scale(kPulseCurve[state.phase], BrightnessMultiplier(record.light)));
}

void TurnWheel(PerLightState& state, const LightModeRecord& record, LedEntry& led) {
    const int period = state.counterPeriod != 0 ? state.counterPeriod : SlowPeriod(record.speed);
    ++state.counter;
    if (state.counter >= period) {
        state.counter = 0;
        state.hue = NextHue(state.hue);
    }
    SetLed(led, WheelColor(state.hue), BrightnessMultiplier(record.light));
}

void Flash(const PerLightState& state, const LightModeRecord& record, LedEntry& led) {
    if (!state.on) {
        SetLed(led, {}, 0);
        return;
    }
    SetLed(led, record.multiColor ? WheelColor(state.flashHue) : RecordColour(record),
           BrightnessMultiplier(record.light));
}

}  // namespace

void PerLightModes::Reset(std::span<const LightModeRecord> records, uint64_t nowMs) {
    const std::size_t count = std::min<std::size_t>(records.size(), kKeyLightCount);
    states_.assign(count, PerLightState{});
    for (std::size_t i = 0; i < count; ++i) {
        const LightModeRecord& record = records[i];
        PerLightState& state = states_[i];
        state.lastFlip = nowMs;
        state.flipPeriodMs = static_cast<uint32_t>(BlinkIntervalMs(record.speed));
        state.counterPeriod = record.valid ? static_cast<uint8_t>(SlowPeriod(record.speed)) : 0;
    }
}

void PerLightModes::Pass(std::span<const LightModeRecord> records, uint64_t nowMs, LedSpan leds) {
    const std::size_t count = std::min({states_.size(), records.size(), leds.size()});
    for (std::size_t i = 0; i < count; ++i) {
        const LightModeRecord& record = records[i];
        PerLightState& state = states_[i];
        LedEntry& led = leds[i];
        FlipTimer(state, record, nowMs);
        switch (record.selectItem) {
            case kBreathing:
                if (record.valid) {
                    Breathe(state, record, led);
                }
                break;
            case kStatic:
                SetLed(led, RecordColour(record), BrightnessMultiplier(record.light));
                break;
            case kColourWheel:
                if (record.valid) {
                    TurnWheel(state, record, led);
                }
                break;
            case kFlash:
                Flash(state, record, led);
                break;
            case kOff:
                SetLed(led, {}, 0);
                break;
            default:
                break;
        }
    }
}

}  // namespace halvorn::lighting
