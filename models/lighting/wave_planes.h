#pragma once

// The wave planes of the ripple and reactive effects: a mark spreads
// diagonally, one column and one row per advance, in four directions.

#include "models/lighting/effect_state.h"

namespace halvorn::lighting {

// Sets the key's bit in all four planes; keys not in the grid are ignored.
void MarkKeyInPlanes(WavePlanes& planes, int keyIndex);
// Sets bit `row` of `column` in all four planes.
void MarkCellInPlanes(WavePlanes& planes, int column, int row);
// Every key under a set bit gets full level (with colour cycle a random
// wheel colour); keys no longer marked fall back step by step.
void ApplyWavePlanes(EffectState& state, bool colourCycle);
// Plane 0 up-left, 1 down-left, 2 up-right, 3 down-right.
void AdvanceWavePlanes(WavePlanes& planes);
void ClearWavePlanes(WavePlanes& planes);
bool PlanesEmpty(const WavePlanes& planes);

// The fall-back of a per-key level: fast from high levels, slowly near 0.
uint8_t FallBack(uint8_t level);

}  // namespace halvorn::lighting
