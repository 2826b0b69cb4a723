#include "platform/hid/packet_device.h"

#include <utility>

namespace halvorn::hid {
namespace {

constexpr int kOutputReportTimeoutMs = 1000;

// Report ID 0 is reserved when a descriptor uses IDs, so no input report
// carries it: accepting only 0 accepts nothing.
constexpr uint8_t kNoReportId[] = {0};

}  // namespace

PacketDevice::PacketDevice(std::unique_ptr<PacketIo> io, Attributes attributes,
                           ReportDescriptor descriptor, int collectionIndex, int interfaceNumber,
                           int collectionNumber)
    : io_(std::move(io)),
      attributes_(attributes),
      descriptor_(std::move(descriptor)),
      collectionIndex_(collectionIndex),
      interfaceNumber_(interfaceNumber),
      collectionNumber_(collectionNumber) {}

const CollectionCaps& PacketDevice::Caps() const {
    static const CollectionCaps kNone;
    if (collectionIndex_ < 0 ||
        static_cast<std::size_t>(collectionIndex_) >= descriptor_.collections.size()) {
        return kNone;
    }
    return descriptor_.collections[static_cast<std::size_t>(collectionIndex_)];
}

IoStatus PacketDevice::Read(std::span<uint8_t> buffer, std::size_t& transferred, int timeoutMs) {
    transferred = 0;
    if (!io_ || buffer.empty()) return IoStatus::Error;
    if (!UsesReportIds()) {
        // The transport hands out the bare report; callers always see an ID byte first.
        IoStatus status = io_->Read(buffer.subspan(1), transferred, timeoutMs);
        if (status != IoStatus::Ok) return status;
        buffer[0] = 0;
        ++transferred;
        return status;
    }
    std::span<const uint8_t> accept = Caps().reportIds;
    if (accept.empty()) accept = kNoReportId;  // a collection without reports of its own
    return io_->Read(buffer, transferred, timeoutMs, accept);
}

IoStatus PacketDevice::Write(std::span<const uint8_t> report, std::size_t& transferred,
                             int timeoutMs) {
    transferred = 0;
    if (!io_ || report.empty()) return IoStatus::Error;
    if (UsesReportIds()) return io_->Write(report, transferred, timeoutMs);
    // Without IDs the leading byte must be 0 and the transport gets the rest.
    if (report[0] != 0) return IoStatus::Error;
    IoStatus status = io_->Write(report.subspan(1), transferred, timeoutMs);
    if (status == IoStatus::Ok) ++transferred;
    return status;
}

IoStatus PacketDevice::SetOutputReport(std::span<const uint8_t> report) {
    std::size_t transferred = 0;
    return Write(report, transferred, kOutputReportTimeoutMs);
}

void PacketDevice::Abort() {
    if (io_) io_->Abort();
}

}  // namespace halvorn::hid
