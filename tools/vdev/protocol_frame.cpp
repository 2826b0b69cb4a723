#include "tools/vdev/protocol_frame.h"

#include <algorithm>

namespace halvorn::vdev {

std::span<const uint8_t> RequestFrame::Data() const {
    return std::span<const uint8_t>(payload).first(std::min<std::size_t>(length, payload.size()));
}

uint16_t FrameChecksum(std::span<const uint8_t> frame) {
    uint32_t sum = 0;
    for (std::size_t i = 3; i < frame.size() && i < kFrameSize; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum);
}

void RefreshChecksum(std::span<uint8_t> frame) {
    if (frame.size() < 3) return;
    uint16_t sum = FrameChecksum(frame);
    frame[1] = static_cast<uint8_t>(sum & 0xFF);
    frame[2] = static_cast<uint8_t>(sum >> 8);
}

RequestFrame ParseRequest(std::span<const uint8_t> report) {
    RequestFrame frame;
    if (report.size() < kFramePayloadStart || report[0] != kFrameReportId) {
        frame.error = FrameError::NotProtocol;
        return frame;
    }
    frame.command = report[3];
    frame.length = report[4];
    frame.offset = static_cast<uint16_t>(report[5] | report[6] << 8);
    frame.status = report[7];
    if (report.size() != kFrameSize) {
        frame.error = FrameError::WrongSize;
        return frame;
    }
    std::copy(report.begin() + kFramePayloadStart, report.end(), frame.payload.begin());
    uint16_t expected = static_cast<uint16_t>(report[1] | report[2] << 8);
    if (FrameChecksum(report) != expected) {
        frame.error = FrameError::BadChecksum;
    } else if (frame.length > kFrameMaxPayload) {
        frame.error = FrameError::BadLength;
    }
    return frame;
}

std::vector<uint8_t> BuildFrame(uint8_t command, uint8_t length, uint16_t offset, uint8_t status,
                                std::span<const uint8_t> payload) {
    std::vector<uint8_t> frame(kFrameSize, 0);
    frame[0] = kFrameReportId;
    frame[3] = command;
    frame[4] = length;
    frame[5] = static_cast<uint8_t>(offset & 0xFF);
    frame[6] = static_cast<uint8_t>(offset >> 8);
    frame[7] = status;
    std::size_t n = std::min(payload.size(), kFrameMaxPayload);
    std::copy_n(payload.begin(), n, frame.begin() + kFramePayloadStart);
    RefreshChecksum(frame);
    return frame;
}

std::vector<uint8_t> BadFrameReply(const RequestFrame& request) {
    return BuildFrame(request.command, request.length, request.offset, kStatusBadFrame);
}

}  // namespace halvorn::vdev
