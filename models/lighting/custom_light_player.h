#pragma once

// The custom light list every device can play, entry after entry, and the
// per-light modes that run after every pass of a light thread. The same in
// every device class.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "models/lighting/led_entry.h"
#include "profile/profile_records.h"

namespace halvorn::lighting {

// One 24-byte entry of the custom light list.
struct CustomLightEntry {
    uint8_t type = 0;  // 0 breathing, 1 static, 2 flash, 4 wave, 5 colour wheel
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    std::array<uint8_t, 3> params{};
    std::array<uint8_t, 5> reserved{};
    uint32_t durationMs = 0;
    std::array<uint8_t, 4> spare{};

    bool operator==(const CustomLightEntry&) const = default;
};
static_assert(sizeof(CustomLightEntry) == 24);

// The entries of a ".light" effect list, in list order.
std::vector<CustomLightEntry> CustomLightEntries(std::span<const LightEffectStep> steps);

// Plays the list. The caller holds its list lock around Current and Advance
// (the list may change under the UI thread) and renders without it.
class CustomLightPlayer {
public:
    // The entry to play, the position wrapped to 0 at the end; none when the
    // list is empty (the caller then shows all lights off).
    std::optional<CustomLightEntry> Current(std::span<const CustomLightEntry> list);
    // One pass of `entry` over `leds`. deviceSpeedLevel is the speed level of
    // the device's own light record (the flash interval).
    void Render(const CustomLightEntry& entry, int deviceSpeedLevel, uint64_t nowMs, LedSpan leds);
    // More than the entry's duration has passed since it started (the first
    // Render after Reset starts it).
    bool Expired(const CustomLightEntry& entry, uint64_t nowMs) const;
    void Advance(uint64_t nowMs);
    void Reset();
    std::size_t Position() const { return position_; }

private:
    std::size_t position_ = 0;
    uint64_t entryStart_ = 0;
    bool started_ = false;  // entryStart_ is set by the first Render
    uint8_t counter_ = 0;
    uint8_t phase_ = 0;
    uint8_t hue_ = 0;  // breathing colour cycle, one wheel step per breath
    uint8_t flashOn_ = 0;
    uint8_t flashHue_ = 0;
    uint64_t lastFlip_ = 0;
};

// One light's animation state in its own mode.
struct PerLightState {
    uint8_t phase = 0;
    uint8_t hue = 0;
    uint8_t counter = 0;
    uint8_t counterPeriod = 0;
    uint8_t on = 0;
    uint8_t flashHue = 0;
    uint64_t lastFlip = 0;  // ms
    uint32_t flipPeriodMs = 0;
};

// The per-light modes: records[i] is light i's record (selectItem the mode:
// 0 breathing, 1 static, 2 flash, 3 colour wheel, 4 off; valid the active
// flag). At most 170 lights.
class PerLightModes {
public:
    // When a profile is applied.
    void Reset(std::span<const LightModeRecord> records, uint64_t nowMs);
    // After every pass of the light thread.
    void Pass(std::span<const LightModeRecord> records, uint64_t nowMs, LedSpan leds);
    std::span<const PerLightState> States() const { return states_; }

private:
    std::vector<PerLightState> states_;
};

}  // namespace halvorn::lighting
