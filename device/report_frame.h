#pragma once

// Building and reading one 64-byte protocol report: pure functions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace halvorn {

inline constexpr std::size_t kReportSize = 64;
inline constexpr uint8_t kProtocolReportId = 4;
inline constexpr std::size_t kPayloadOffset = 8;
inline constexpr std::size_t kMaxPayload = kReportSize - kPayloadOffset;  // 56

using Report = std::array<uint8_t, kReportSize>;

// Device operation results.
enum ProtocolResult : int {
    kResultOk = 1,
    kResultNoReply = 0,  // not open, read timed out or failed, no matching reply
    kResultWriteFailed = -1,
    kResultUnreachable = -101,  // the receiver's device is not linked (command byte 0xAA)
    kResultRejected = -102,     // status 0xFF
    kResultRejectedFe = -103,   // status 0xFE
    kResultBadArgument = -201,
};

namespace command {
inline constexpr uint8_t kBeginConfig = 0x01;
inline constexpr uint8_t kEndConfig = 0x02;
inline constexpr uint8_t kReadDeviceInfo = 0x03;
inline constexpr uint8_t kReadMemory = 0x05;
inline constexpr uint8_t kWriteMemory = 0x06;
inline constexpr uint8_t kReadKeyTable = 0x07;
inline constexpr uint8_t kWriteKeyTable = 0x09;
inline constexpr uint8_t kWriteMaskBlock = 0x0B;
inline constexpr uint8_t kStreamLightData = 0x12;
inline constexpr uint8_t kWriteMacroData = 0x15;
inline constexpr uint8_t kWriteShootData = 0x17;
inline constexpr uint8_t kReadPowerBlock = 0x1A;
inline constexpr uint8_t kReadKeyAuxTable = 0x1B;
inline constexpr uint8_t kTakeLightControl = 0x1C;
inline constexpr uint8_t kQueryReceiverLink = 0xAA;
}  // namespace command

inline constexpr uint8_t kStatusRejected = 0xFF;
inline constexpr uint8_t kStatusRejectedFe = 0xFE;

// Sum of bytes 3..63, truncated to 16 bits.
uint16_t ReportChecksum(std::span<const uint8_t, kReportSize> report);

// A request: report ID, command, length, offset, zero status, payload (at
// most 56 bytes, the rest zero) and the checksum.
Report BuildRequest(uint8_t command, uint8_t length, uint16_t offset,
                    std::span<const uint8_t> payload = {});

// -102 / -103 for a rejecting status byte, else 1.
int StatusResult(const Report& reply);

// The trace form of a report: two lines of 32 bytes in groups of four.
std::string FormatReportTrace(std::span<const uint8_t, kReportSize> report);

}  // namespace halvorn
