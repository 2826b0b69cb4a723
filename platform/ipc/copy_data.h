#pragma once

// The kinds of data copies exchanged with companions, and what an incoming
// copy must look like before it reaches the window: the window copies it
// into a buffer of fixed size, so anything longer or shorter is refused
// rather than cut or padded with stale bytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace halvorn::ipc {

namespace copy_kind {
inline constexpr uint32_t kAudioLevels = 1;   // in: 500 signed 32-bit levels
inline constexpr uint32_t kAudioValues = 2;   // in: six signed 32-bit values
inline constexpr uint32_t kToolReply = 5;     // out: the supported-device list, 1024 bytes
inline constexpr uint32_t kAudioColour = 10;  // out: R, G, B as 32-bit values, 40 bytes
}  // namespace copy_kind

inline constexpr size_t kAudioLevelsSize = 500 * 4;
inline constexpr size_t kAudioValuesSize = 6 * 4;

// Why an incoming copy of `kind` with `size` bytes is refused; empty when it
// is accepted.
std::string CheckIncomingCopy(uint32_t kind, size_t size);

}  // namespace halvorn::ipc
