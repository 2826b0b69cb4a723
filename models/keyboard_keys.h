#pragma once

// The keyboard's key indices: the factory key code of every index of the
// full-size layout, and the map from key indices to the key positions of
// the keyboard's own key table.

#include <array>
#include <cstdint>
#include <span>

#include "models/lighting/led_entry.h"
#include "profile/profile_records.h"

namespace halvorn::keyboard {

inline constexpr int kKeyIndexCount = lighting::kKeyLightCount;  // 170
inline constexpr int kFnKeyIndex = 110;
inline constexpr uint8_t kFnDefaultPosition = 113;
inline constexpr uint8_t kNoPosition = 0xFF;

// The code a factory-default keyboard has at every key index.
const std::array<KeyCode, kKeyIndexCount>& KeyCodeTable();

using KeyPositionMap = std::array<uint8_t, kKeyIndexCount>;

// For each key index the first position of `deviceTable` (3 bytes per
// position, whole entries only) holding the index's code, or kNoPosition.
// The Fn key falls back to position 113 when a non-empty table lacks its
// code; 113 may then lie beyond the table, so users of the map check
// positions against the table's length.
KeyPositionMap BuildKeyPositionMap(std::span<const uint8_t> deviceTable);

// The key index at a position, or -1. Where several indices share a position
// (the keyless 20 00 00 entries) the lowest wins; the Fn key's fallback
// position 113 yields to a key really found there.
int KeyIndexAtPosition(const KeyPositionMap& map, int position);

// KeyIndexAtPosition for every position 0..254 at once.
using PositionIndexMap = std::array<int16_t, kNoPosition>;
PositionIndexMap BuildPositionIndexMap(const KeyPositionMap& map);

}  // namespace halvorn::keyboard
