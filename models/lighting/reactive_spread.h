#pragma once

// Key presses of effect 8: a pressed key lights its grid neighbours, and a
// release dims those that no other held key still touches.

#include "models/lighting/effect_state.h"

namespace halvorn::lighting {

// Neighbours within this many grid steps glow around a pressed key; those one
// step away are its direct neighbours.
inline constexpr int kSpreadReach = 2;

void PressSpreadKey(EffectState& state, int keyIndex);
void ReleaseSpreadKey(EffectState& state, int keyIndex);

}  // namespace halvorn::lighting
