#pragma once

// The emulated keyboard's keys: the key code of each key index of the
// full-size layout, and the keyboard's own key order (its scan matrix).
//
// The matrix has 7 rows of 21 columns; position q = row * 21 + column, which
// is also how the key mask addresses keys (bit q / 21 of byte q % 21). Row 0
// is the strip of function and media keys above the numeric pad, rows 1-6 the
// usual six rows of a 104-key board with an Fn key beside right Alt and GUI.
// Matrix cells without a switch hold the empty code 20 00 00.

#include <array>
#include <cstdint>
#include <vector>

namespace halvorn::vdev {

struct KeyCode {
    uint8_t type = 0x20;
    uint8_t byte1 = 0;
    uint8_t byte2 = 0;
    friend bool operator==(const KeyCode&, const KeyCode&) = default;
};

inline constexpr KeyCode kNoKeyCode{0x20, 0x00, 0x00};
inline constexpr KeyCode kFnKeyCode{0xA0, 0x01, 0x00};
inline constexpr int kKeyIndexCount = 170;
inline constexpr int kMatrixRows = 7;
inline constexpr int kMatrixColumns = 21;
inline constexpr int kMatrixPositions = kMatrixRows * kMatrixColumns;  // 147
inline constexpr int kMaxKeyCount = 255;  // the information block holds n in one byte

// The factory code of a key index 0..169 (kNoKeyCode outside that range).
KeyCode FactoryKeyCode(int keyIndex);

// The key index wired at each matrix position, -1 for an empty cell.
const std::array<int16_t, kMatrixPositions>& FactoryMatrix();

// The factory key table: `keyCount` entries of 3 bytes in matrix order;
// entries past the matrix are empty, and without an Fn key its cell is empty.
std::vector<uint8_t> FactoryKeyTable(int keyCount, bool hasFnKey);

// The per-key byte table: 1 where a switch is fitted, 0 for an empty cell.
std::vector<uint8_t> FactoryKeyAuxTable(int keyCount, bool hasFnKey);

}  // namespace halvorn::vdev
