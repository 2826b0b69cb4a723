#pragma once

// Bytes as text ("04 01 00 ff"), as dumps and the hub's messages carry them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halvorn::vdev {

// Two lower-case hexadecimal digits per byte, separated by one space.
std::string HexText(std::span<const uint8_t> bytes);

// The reverse: pairs of hexadecimal digits, optionally separated by spaces,
// commas or colons. Nothing when a digit is invalid or a pair is incomplete.
std::optional<std::vector<uint8_t>> ParseHexText(std::string_view text);

}  // namespace halvorn::vdev
