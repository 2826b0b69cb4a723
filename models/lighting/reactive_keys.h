#pragma once

// The reactive key state of a device: a level per key that fades after a
// press, and a 23-entry ring that wave effects rotate.

#include <array>
#include <cstdint>

#include "models/lighting/led_entry.h"

namespace halvorn::lighting {

struct ReactiveKeys {
    std::array<uint8_t, kKeyLightCount> levels{};
    std::array<uint8_t, 23> ring{};
};

// Lowers the level of one key (0..169; others are ignored) by the decay of
// `effect`; a level never drops below 0.
void FadeReactiveKey(ReactiveKeys& state, int key, int effect);
// Keys 0..8 whose ring entry is nonzero get level 255.
void MarkPressedKeys(ReactiveKeys& state);
// Forward: the last entry moves to the front.
void RotateWaveRing(ReactiveKeys& state, bool forward);
void ClearReactiveState(ReactiveKeys& state);

}  // namespace halvorn::lighting
