#pragma once

// The keyboard's factory memory images and the check of a macro block, as
// pure functions.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace halvorn::vdev {

struct KeyboardOptions;

inline constexpr std::size_t kInfoBlockSize = 34;
inline constexpr std::size_t kProfileBlockSize = 25;
inline constexpr int kMaxProfiles = 16;  // the profile-switch usage carries 4 bits

// Information block (34 bytes):
//   0-1   firmware version, little-endian
//   2     device kind, 1 = keyboard
//   3     number of on-board profiles
//   4     connection, 0 = cable
//   5     key count n (entries of the key table)
//   6     macro memory in units of 128 bytes
//   7, 8  rows and columns of the key matrix
//   9     brightness levels (0-4: 5)
//   10-11 vendor ID, 12-13 product ID, little-endian
//   14-33 reserved, 0
std::array<uint8_t, kInfoBlockSize> FactoryInfoBlock(const KeyboardOptions& options, int keyCount,
                                                     int profileCount);

// Settings memory: byte 0 the active profile, then one 25-byte block per
// profile at 1 + 25p. Block bytes (0-based; the host's 26-byte transfer at
// 25p sees them one byte later): 0 effect code, 1 brightness 0-4, 2 speed as
// stored (4 - speed), 3 direction, 4 colour cycle, 5-7 red, green, blue,
// 17 lighting mode, 18 W flag, 19 6-key flag, 20 Win flag, 21 polling rate,
// 24 custom group; the others are reserved.
std::vector<uint8_t> FactorySettings(int profileCount);

struct MacroBlockCheck {
    bool valid = false;
    std::string problem;  // empty when valid
};

// Checks a complete macro block: AA 55, total length, count, record offsets
// inside the block and records that follow each other up to its end.
MacroBlockCheck CheckMacroBlock(std::span<const uint8_t> block);

// The total length a macro block declares in bytes 2-3; 0 when not yet known.
std::size_t DeclaredMacroLength(std::span<const uint8_t> block);

}  // namespace halvorn::vdev
