#include "models/lighting/custom_light_player.h"

#include <algorithm>

#include "models/lighting/light_tables.h"

namespace halvorn::lighting {
namespace {

enum EntryType : uint8_t {
    kBreathing = 0,
    kStatic = 1,
    kFlash = 2,
    kWave = 4,
    kColourWheel = 5,
};

constexpr uint8_t kBreathPeriod = 128;
constexpr int kFlashHueOffset = 14;
constexpr int kWaveSpacing = 12;

Rgb EntryColour(const CustomLightEntry& entry) { return {entry.red, entry.green, entry.blue}; }

void Fill(LedSpan leds, Rgb colour, uint8_t brightness) {
    for (LedEntry& led : leds) {
        SetLed(led, colour, brightness);
    }
}

uint8_t NextBreathHue(uint8_t hue) {
    const int next = hue + 16;
    return next > kWheelSize ? 0 : static_cast<uint8_t>(next);
}

}  // namespace

std::vector<CustomLightEntry> CustomLightEntries(std::span<const LightEffectStep> steps) {
    std::vector<CustomLightEntry> entries;
    entries.reserve(steps.size());
    for (const LightEffectStep& step : steps) {
        CustomLightEntry entry;
        entry.type = step.mode;
        entry.brightness = step.brightness;
        entry.speed = step.speed;
        entry.direction = step.direction;
        entry.multiColor = step.multiColor;
        entry.red = step.red;
        entry.green = step.green;
        entry.blue = step.blue;
        // A negative time in a hand-edited file plays the entry for one pass.
        entry.durationMs = static_cast<uint32_t>(std::max(step.time, 0));
        entries.push_back(entry);
    }
    return entries;
}

std::optional<CustomLightEntry> CustomLightPlayer::Current(std::span<const CustomLightEntry> list) {
    // The list may have shrunk under the position as well as run out.
    if (position_ >= list.size()) {
        position_ = 0;
    }
    if (list.empty()) {
        return std::nullopt;
    }
    return list[position_];
}

void CustomLightPlayer::Render(const CustomLightEntry& entry, int deviceSpeedLevel, uint64_t nowMs,
                               LedSpan leds) {
    if (!started_) {
        // Playback starts with a flash lit, as if it had just flipped on.
        entryStart_ = nowMs;
        lastFlip_ = nowMs;
        flashOn_ = 1;
        flashHue_ = kFlashHueOffset;
        started_ = true;
    }
    ++counter_;
    const uint8_t multiplier = BrightnessMultiplier(entry.brightness);
    const int period =
        entry.type == kColourWheel ? CommonPeriod(entry.speed) : SlowPeriod(entry.speed);
    const bool due = counter_ >= period;

    switch (entry.type) {
        case kBreathing:
            if (!due) {
                return;
            }
            counter_ = 0;
            phase_ = static_cast<uint8_t>((phase_ + 1) % kBreathPeriod);
            if (phase_ == 0) {
                hue_ = NextBreathHue(hue_);
            }
            Fill(leds, entry.multiColor ? WheelColor(hue_) : EntryColour(entry),
                 Scale(kPulseCurve[phase_], multiplier));
            return;

        case kStatic:
            if (!due) {
                return;
            }
            counter_ = 0;
            Fill(leds, EntryColour(entry), multiplier);
            return;

        case kFlash: {
            if (due) {
                counter_ = 0;
            }
            phase_ = static_cast<uint8_t>((phase_ + 1) % kBreathPeriod);
            if (nowMs < lastFlip_) {
                lastFlip_ = nowMs;
            } else if (nowMs - lastFlip_ >=
                       static_cast<uint64_t>(BlinkIntervalMs(deviceSpeedLevel))) {
                flashOn_ = flashOn_ ? 0 : 1;
                lastFlip_ = nowMs;
                flashHue_ = static_cast<uint8_t>(phase_ + kFlashHueOffset);
            }
            if (!flashOn_) {
                Fill(leds, {}, 0);
                return;
            }
            Fill(leds, entry.multiColor ? WheelColor(flashHue_) : EntryColour(entry), multiplier);
            return;
        }

        case kWave: {
            if (!due) {
                return;
            }
            counter_ = 0;
            phase_ = static_cast<uint8_t>((phase_ + 1) % kWheelSize);
            int start = 0;
            if (entry.direction == 0) {
                start = phase_ + 1 == kWheelSize ? 0 : phase_ + 1;
            } else {
                start = phase_ == 0 ? kWheelSize - 1 : kWheelSize - phase_;
            }
            const auto waveSize = static_cast<int>(kWaveCurve.size());
            for (std::size_t i = 0; i < leds.size(); ++i) {
                const int offset = kWaveSpacing * static_cast<int>(i);
                if (entry.multiColor) {
                    SetLed(leds[i], WheelColor(start + offset), multiplier);
                } else {
                    const uint8_t level = kWaveCurve[(start + offset + kWaveSpacing) % waveSize];
                    SetLed(leds[i], EntryColour(entry), Scale(level, multiplier));
                }
            }
            return;
        }

        case kColourWheel:
            if (!due) {
                return;
            }
            counter_ = 0;
            phase_ = static_cast<uint8_t>((phase_ + 1) % kWheelSize);
            Fill(leds, WheelColor(phase_), multiplier);
            return;

        default:
            // Type 3 and unknown types leave the lights as they are.
            return;
    }
}

bool CustomLightPlayer::Expired(const CustomLightEntry& entry, uint64_t nowMs) const {
    return started_ && nowMs > entryStart_ && nowMs - entryStart_ > entry.durationMs;
}

void CustomLightPlayer::Advance(uint64_t nowMs) {
    ++position_;
    entryStart_ = nowMs;
    started_ = true;
}

void CustomLightPlayer::Reset() { *this = CustomLightPlayer{}; }

}  // namespace halvorn::lighting
