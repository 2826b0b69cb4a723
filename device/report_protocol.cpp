#include "device/report_protocol.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/trace/trace.h"

namespace halvorn {
namespace {

constexpr uint8_t kUnreachableCommand = 0xAA;
constexpr uint8_t kLinkedAnswer = 0xFF;
constexpr uint8_t kShootChunk = 56;
constexpr auto kEndConfigPause = std::chrono::milliseconds(10);

// `busy` counts transactions in flight, so that one ending does not clear
// it under another (command 23 runs without commandLock).
class BusyScope {
public:
    explicit BusyScope(std::atomic<uint8_t>& busy) : busy_(busy) { busy_.fetch_add(1); }
    ~BusyScope() { busy_.fetch_sub(1); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<uint8_t>& busy_;
};

Report PadToReport(std::span<const uint8_t> request) {
    Report out{};
    std::copy_n(request.begin(), std::min(request.size(), kReportSize), out.begin());
    return out;
}

void TraceReport(const char* label, const Report& report) {
    // Every command passes here: format the bytes only for someone reading them.
    if (!TraceEnabled()) return;
    std::string text(label);
    text += '\n';
    text += FormatReportTrace(report);
    Trace(text);
}

// Offsets are 16 bits on the wire; a transfer that would wrap is refused.
bool FitsOffsets(std::size_t base, std::size_t total) { return base + total <= 0x10000; }

}  // namespace

ReportProtocol::ReportProtocol(hid::Backend& backend) : wired_(backend), receiver_(backend) {}

ReportProtocol::~ReportProtocol() {
    wired_.Close();
    receiver_.Close();
}

void ReportProtocol::SetChannelMode(int mode) {
    if (mode == 2) {
        receiverMode_.store(1);
        chunkSize_.store(kReceiverChunk);
    } else {
        receiverMode_.store(0);
        chunkSize_.store(kWiredChunk);
    }
}

int ReportProtocol::SetDataLength(uint16_t length) {
    if (length > kMaxDataLength) return 0;
    dataLength_.store(length);
    return 1;
}

int ReportProtocol::Transact(std::span<const uint8_t> request, std::span<uint8_t> reply,
                             std::size_t* received) {
    BusyScope busy(busy_);
    if (received) *received = 0;
    if (!IsOpen()) return kResultNoReply;

    const Report out = PadToReport(request);
    TraceReport("命令", out);

    const bool receiver = ReceiverMode();
    HidChannel& channel = receiver ? receiver_ : wired_;
    const int timeout = receiver ? kReceiverTimeoutMs : kWiredTimeoutMs;
    {
        std::lock_guard lock(transferLock_);
        if (channel.Write(out, nullptr, timeout) != 1) return kResultWriteFailed;
    }

    Report in{};
    std::size_t n = 0;
    int result = kResultNoReply;
    bool matched = false;
    {
        std::lock_guard lock(transferLock_);
        for (int attempt = 0; attempt < 2; ++attempt) {
            in.fill(0);
            n = 0;
            result = channel.Read(in, &n, timeout);
            // A failed read is a timeout or a vanished device: a second wait
            // would only double the delay.
            if (result != 1) break;
            if (n > 3 && in[3] == out[3]) {
                matched = true;
                break;
            }
            if (receiver && n > 3 && in[3] == kUnreachableCommand) {
                result = kResultUnreachable;
                break;
            }
        }
    }
    // A reply to some other request is no answer to this one.
    if (result == kResultOk && !matched) result = kResultNoReply;

    std::copy_n(in.begin(), std::min(reply.size(), kReportSize), reply.begin());
    if (received) *received = std::min(n, reply.size());
    TraceReport("返回", in);
    return result;
}

int ReportProtocol::ExchangeLightPacket(std::span<const uint8_t> request, std::span<uint8_t> reply,
                                        std::size_t* received) {
    if (received) *received = 0;
    if (!IsOpen()) return kResultNoReply;
    const Report out = PadToReport(request);
    {
        std::lock_guard lock(transferLock_);
        if (wired_.Write(out, nullptr, kWiredTimeoutMs) != 1) return kResultWriteFailed;
    }
    std::lock_guard lock(transferLock_);
    return wired_.Read(reply, received, kWiredTimeoutMs);
}

int ReportProtocol::SingleCommand(uint8_t command, uint8_t length, uint16_t offset,
                                  std::span<const uint8_t> payload, std::span<uint8_t> readInto,
                                  Report* replyOut) {
    const Report request = BuildRequest(command, length, offset, payload);
    Report reply{};
    std::size_t n = 0;
    int result;
    {
        std::lock_guard lock(commandLock_);
        result = Transact(request, reply, &n);
    }
    if (result != kResultOk) return result;
    // A reply too short for its status or its data is no reply.
    if (n < kPayloadOffset + readInto.size()) return kResultNoReply;
    if (int status = StatusResult(reply); status != kResultOk) return status;
    std::copy_n(reply.begin() + kPayloadOffset, readInto.size(), readInto.begin());
    if (replyOut) *replyOut = reply;
    return kResultOk;
}

int ReportProtocol::ExchangeLightChunk(const Report& request, Report& reply) {
    // Light never waits for configuration traffic: while a transaction is
    // in flight, and on the receiver, the packet counts as sent.
    if (Busy()) {
        Trace("放弃灯光数据");
        return kResultOk;
    }
    if (ReceiverMode()) return kResultOk;
    std::lock_guard lock(lightLock_);
    std::size_t n = 0;
    int result = ExchangeLightPacket(request, reply, &n);
    if (result == kResultOk && n < kPayloadOffset) return kResultNoReply;
    return result;
}

int ReportProtocol::ChunkedTransfer(uint8_t command, std::size_t total, uint16_t baseOffset,
                                    uint8_t chunk, ChunkLock lockKind,
                                    std::span<const uint8_t> write, std::span<uint8_t> read) {
    if (!FitsOffsets(baseOffset, total) || chunk == 0) return kResultBadArgument;
    for (std::size_t p = 0; p < total; p += chunk) {
        const std::size_t length = (p + chunk < total) ? chunk : total - p;
        const auto offset = static_cast<uint16_t>(baseOffset + p);
        std::span<const uint8_t> payload =
            write.empty() ? std::span<const uint8_t>{} : write.subspan(p, length);
        const Report request = BuildRequest(command, static_cast<uint8_t>(length), offset, payload);
        Report reply{};
        std::size_t n = kReportSize;
        int result;
        switch (lockKind) {
            case ChunkLock::Command: {
                std::lock_guard lock(commandLock_);
                result = Transact(request, reply, &n);
                break;
            }
            case ChunkLock::None:
                result = Transact(request, reply, &n);
                break;
            case ChunkLock::Light:
                result = ExchangeLightChunk(request, reply);
                break;
        }
        if (result != kResultOk) return result;
        if (n < kPayloadOffset + (read.empty() ? 0 : length)) return kResultNoReply;
        if (int status = StatusResult(reply); status != kResultOk) return status;
        if (!read.empty()) {
            std::copy_n(reply.begin() + kPayloadOffset, length, read.begin() + p);
        }
    }
    return kResultOk;
}

int ReportProtocol::BeginConfig() { return SingleCommand(command::kBeginConfig, 0, 0, {}, {}); }

int ReportProtocol::EndConfig() {
    // The device adopts what was written; give it a moment first.
    std::this_thread::sleep_for(kEndConfigPause);
    return SingleCommand(command::kEndConfig, 0, 0, {}, {});
}

int ReportProtocol::ReadDeviceInfo(std::array<uint8_t, kInfoSize>& info) {
    std::array<uint8_t, kInfoSize> collected{};
    int result = ChunkedTransfer(command::kReadDeviceInfo, kInfoSize, 0, ChunkSize(),
                                 ChunkLock::Command, {}, collected);
    if (result == kResultOk) info = collected;
    return result;
}

int ReportProtocol::ReadMemory(std::span<uint8_t> buffer, uint16_t base) {
    return ChunkedTransfer(command::kReadMemory, buffer.size(), base, ChunkSize(),
                           ChunkLock::Command, {}, buffer);
}

int ReportProtocol::WriteMemory(std::span<const uint8_t> data, uint16_t base) {
    return ChunkedTransfer(command::kWriteMemory, data.size(), base, ChunkSize(),
                           ChunkLock::Command, data, {});
}

int ReportProtocol::ReadKeyTable(std::span<uint8_t> buffer) {
    const std::size_t total = DataLength();
    if (buffer.size() < total) return kResultBadArgument;
    return ChunkedTransfer(command::kReadKeyTable, total, 0, ChunkSize(), ChunkLock::Command, {},
                           buffer.first(total));
}

int ReportProtocol::WriteKeyTable(std::span<const uint8_t> data, int page) {
    const std::size_t total = DataLength();
    if (page != 0 || data.size() < total) return kResultBadArgument;
    return ChunkedTransfer(command::kWriteKeyTable, total, 0, ChunkSize(), ChunkLock::Command,
                           data.first(total), {});
}

int ReportProtocol::WriteMaskBlock(std::span<const uint8_t> data, uint8_t index) {
    if (data.size() > kMaxPayload) return kResultBadArgument;
    return SingleCommand(command::kWriteMaskBlock, static_cast<uint8_t>(data.size()),
                         static_cast<uint16_t>(index * 3), data, {});
}

int ReportProtocol::StreamLightData(std::span<const uint8_t> data) {
    return ChunkedTransfer(command::kStreamLightData, data.size(), 0, ChunkSize(), ChunkLock::Light,
                           data, {});
}

int ReportProtocol::WriteMacroData(std::span<const uint8_t> data) {
    return ChunkedTransfer(command::kWriteMacroData, data.size(), 0, ChunkSize(),
                           ChunkLock::Command, data, {});
}

int ReportProtocol::WriteShootData(std::span<const uint8_t> data) {
    return ChunkedTransfer(command::kWriteShootData, data.size(), 0, kShootChunk, ChunkLock::None,
                           data, {});
}

int ReportProtocol::ReadPowerBlock(std::span<uint8_t> buffer, uint16_t offset) {
    if (buffer.size() > kMaxPayload) return kResultBadArgument;
    return SingleCommand(command::kReadPowerBlock, static_cast<uint8_t>(buffer.size()), offset, {},
                         buffer);
}

int ReportProtocol::ReadKeyAuxTable(std::span<uint8_t> buffer) {
    const std::size_t total = DataLength() / 3;
    if (buffer.size() < total) return kResultBadArgument;
    return ChunkedTransfer(command::kReadKeyAuxTable, total, 0, ChunkSize(), ChunkLock::Command, {},
                           buffer.first(total));
}

int ReportProtocol::TakeLightControl() {
    return SingleCommand(command::kTakeLightControl, 0, 0, {}, {});
}

bool ReportProtocol::QueryReceiverLink() {
    if (!ReceiverMode()) return true;
    Report reply{};
    if (SingleCommand(command::kQueryReceiverLink, 0, 0, {}, {}, &reply) != kResultOk) {
        return false;
    }
    return reply[kPayloadOffset] == kLinkedAnswer;
}

}  // namespace halvorn
