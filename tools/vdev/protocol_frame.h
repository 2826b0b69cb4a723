#pragma once

// The emulators' own reading and writing of the 64-byte protocol reports,
// independent of the host's builder so that each checks the other.
//
//   byte 0     report ID 4
//   bytes 1-2  checksum: 16-bit sum of bytes 3..63, low byte first
//   byte 3     command
//   byte 4     payload length (at most 56)
//   bytes 5-6  offset, little-endian
//   byte 7     status (0 in requests; in replies 0xFF rejected, 0xFE bad frame)
//   bytes 8-63 payload

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace halvorn::vdev {

inline constexpr std::size_t kFrameSize = 64;
inline constexpr uint8_t kFrameReportId = 4;
inline constexpr std::size_t kFramePayloadStart = 8;
inline constexpr std::size_t kFrameMaxPayload = kFrameSize - kFramePayloadStart;  // 56

inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusRejected = 0xFF;  // a request the firmware refuses
inline constexpr uint8_t kStatusBadFrame = 0xFE;  // wrong checksum, length or size
inline constexpr uint8_t kUnreachableCommand = 0xAA;

enum class FrameError {
    None,
    NotProtocol,  // not a report of ID 4 with at least the header: no reply at all
    WrongSize,    // a report of ID 4 that is not 64 bytes long
    BadChecksum,
    BadLength,  // payload length over 56
};

struct RequestFrame {
    FrameError error = FrameError::None;
    uint8_t command = 0;
    uint8_t length = 0;
    uint16_t offset = 0;
    uint8_t status = 0;
    std::array<uint8_t, kFrameMaxPayload> payload{};  // the whole payload area

    // The `length` payload bytes (clamped to the payload area).
    std::span<const uint8_t> Data() const;
};

// Sum of bytes 3..63 truncated to 16 bits; `frame` must be 64 bytes.
uint16_t FrameChecksum(std::span<const uint8_t> frame);

// Reads a report the host wrote. Errors other than NotProtocol still fill
// command, length and offset, so that the bad-frame reply can echo them.
RequestFrame ParseRequest(std::span<const uint8_t> report);

// A 64-byte frame with the checksum filled; `payload` beyond 56 bytes is cut.
// Used for replies and, by tests and tools, for requests.
std::vector<uint8_t> BuildFrame(uint8_t command, uint8_t length, uint16_t offset, uint8_t status,
                                std::span<const uint8_t> payload = {});

// The answer to a malformed request: its header echoed, status 0xFE, no payload.
std::vector<uint8_t> BadFrameReply(const RequestFrame& request);

// Recomputes bytes 1-2 of a 64-byte frame after it was changed.
void RefreshChecksum(std::span<uint8_t> frame);

}  // namespace halvorn::vdev
