#pragma once

// Where keys sit on the light grid: the distances the reactive effects use to
// find a key's neighbours, and the keys the random effects pick from.

#include <array>
#include <cstdint>
#include <span>

#include "models/lighting/led_entry.h"

namespace halvorn::lighting {

inline constexpr uint8_t kFarAway = 255;

// distances[k] is the smallest number of grid steps (diagonals count as one)
// between a cell of `key` and a cell of key k; kFarAway for keys off the grid
// or when `key` is off the grid. A key sits in up to two cells.
void GridDistances(int key, std::array<uint8_t, kKeyLightCount>& distances);

// The keys that sit on the grid, each once, in column order.
std::span<const uint8_t> GridKeys();

// Whether a key index sits on the grid.
bool OnGrid(int key);

// Sets near[k] for every key within `reach` grid steps of `key`.
void MarkKeysNear(int key, int reach, std::array<bool, kKeyLightCount>& near);

}  // namespace halvorn::lighting
