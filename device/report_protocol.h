#pragma once

// The 64-byte request/reply protocol every configurable device speaks on its
// vendor collection. Byte 0 report ID 4, bytes 1-2 the 16-bit sum of bytes
// 3..63, byte 3 command, 4 payload length, 5-6 offset, 7 status, 8.. payload.
// One object owns the device's cable and receiver channels; the mode says
// which one is in use.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/hid_channel.h"
#include "device/report_frame.h"

namespace halvorn {

class ReportProtocol {
public:
    static constexpr uint16_t kMaxDataLength = 512;
    static constexpr int kWiredTimeoutMs = 1000;
    static constexpr int kReceiverTimeoutMs = 5000;
    static constexpr uint8_t kWiredChunk = 56;
    static constexpr uint8_t kReceiverChunk = 24;
    static constexpr std::size_t kInfoSize = 34;

    explicit ReportProtocol(hid::Backend& backend);
    ~ReportProtocol();
    ReportProtocol(const ReportProtocol&) = delete;
    ReportProtocol& operator=(const ReportProtocol&) = delete;

    HidChannel& WiredChannel() { return wired_; }
    HidChannel& ReceiverChannel() { return receiver_; }
    HidChannel& ActiveChannel() { return receiverMode_ ? receiver_ : wired_; }

    // Set by whoever opened the channel in use (the device watcher, a device).
    void SetOpen(bool open) { open_.store(open ? 1 : 0); }
    bool IsOpen() const { return open_.load() != 0; }

    // 2 selects the receiver channel with 24-byte chunks; anything else the
    // cable with 56-byte chunks.
    void SetChannelMode(int mode);
    bool ReceiverMode() const { return receiverMode_.load() != 0; }
    uint8_t ChunkSize() const { return chunkSize_.load(); }
    int TimeoutMs() const { return ReceiverMode() ? kReceiverTimeoutMs : kWiredTimeoutMs; }

    // 1, or 0 without change when `length` exceeds 512.
    int SetDataLength(uint16_t length);
    uint16_t DataLength() const { return dataLength_.load(); }

    bool Busy() const { return busy_.load() != 0; }

    // Held by the device watcher while it swaps a channel; the order is
    // commandLock or lightLock first, transferLock inside.
    std::mutex& TransferLock() { return transferLock_; }
    std::mutex& OwnerLock() { return ownerLock_; }

    // Writes `request` (padded or cut to 64 bytes) and reads until the reply
    // carries the request's command byte, at most twice. Codes of ProtocolResult;
    // a reply that never matches is no reply (0).
    int Transact(std::span<const uint8_t> request, std::span<uint8_t> reply, std::size_t* received);
    // One write and one read on the cable, no command check (light stream).
    int ExchangeLightPacket(std::span<const uint8_t> request, std::span<uint8_t> reply,
                            std::size_t* received);

    // Commands.
    int BeginConfig();                                                 // 0x01
    int EndConfig();                                                   // 0x02
    int ReadDeviceInfo(std::array<uint8_t, kInfoSize>& info);          // 0x03
    int ReadMemory(std::span<uint8_t> buffer, uint16_t base);          // 0x05
    int WriteMemory(std::span<const uint8_t> data, uint16_t base);     // 0x06
    int ReadKeyTable(std::span<uint8_t> buffer);                       // 0x07, DataLength bytes
    int WriteKeyTable(std::span<const uint8_t> data, int page);        // 0x09, DataLength bytes
    int WriteMaskBlock(std::span<const uint8_t> data, uint8_t index);  // 0x0B
    int StreamLightData(std::span<const uint8_t> data);                // 0x12
    int WriteMacroData(std::span<const uint8_t> data);                 // 0x15
    int WriteShootData(std::span<const uint8_t> data);                 // 0x17
    int ReadPowerBlock(std::span<uint8_t> buffer, uint16_t offset);    // 0x1A
    int ReadKeyAuxTable(std::span<uint8_t> buffer);                    // 0x1B, DataLength / 3 bytes
    int TakeLightControl();                                            // 0x1C
    bool QueryReceiverLink();                                          // 0xAA

private:
    enum class ChunkLock { Command, None, Light };
    int SingleCommand(uint8_t command, uint8_t length, uint16_t offset,
                      std::span<const uint8_t> payload, std::span<uint8_t> readInto,
                      Report* replyOut = nullptr);
    // Moves `total` bytes in chunks; `write` is the source for writes, `read`
    // the destination for reads (one of them empty).
    int ChunkedTransfer(uint8_t command, std::size_t total, uint16_t baseOffset, uint8_t chunk,
                        ChunkLock lock, std::span<const uint8_t> write, std::span<uint8_t> read);
    int ExchangeLightChunk(const Report& request, Report& reply);

    HidChannel wired_;
    HidChannel receiver_;
    std::atomic<uint16_t> dataLength_{kMaxDataLength};
    std::atomic<uint8_t> busy_{0};
    std::atomic<int> open_{0};
    std::atomic<int> receiverMode_{0};
    std::atomic<uint8_t> chunkSize_{kReceiverChunk};
    std::mutex transferLock_;
    std::mutex ownerLock_;
    std::mutex commandLock_;
    std::mutex lightLock_;
};

}  // namespace halvorn
