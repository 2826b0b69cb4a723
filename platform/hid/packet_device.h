#pragma once

// The Device both backends hand out: a PacketIo plus what was learned at open
// (attributes, the parsed descriptor and which collection was opened).

#include <memory>

#include "platform/hid/backend.h"
#include "platform/hid/packet_io.h"

namespace halvorn::hid {

class PacketDevice : public Device {
public:
    // `collectionIndex` is 0-based into `descriptor.collections`. `io` may be
    // null for a description-only open.
    PacketDevice(std::unique_ptr<PacketIo> io, Attributes attributes, ReportDescriptor descriptor,
                 int collectionIndex, int interfaceNumber, int collectionNumber);

    const Attributes& GetAttributes() const override { return attributes_; }
    const CollectionCaps& Caps() const override;
    int InterfaceNumber() const override { return interfaceNumber_; }
    int CollectionNumber() const override { return collectionNumber_; }

    IoStatus Read(std::span<uint8_t> buffer, std::size_t& transferred, int timeoutMs) override;
    IoStatus Write(std::span<const uint8_t> report, std::size_t& transferred,
                   int timeoutMs) override;
    IoStatus SetOutputReport(std::span<const uint8_t> report) override;
    void Abort() override;

protected:
    PacketIo* Io() const { return io_.get(); }
    bool UsesReportIds() const { return descriptor_.usesReportIds; }

private:
    std::unique_ptr<PacketIo> io_;
    Attributes attributes_;
    ReportDescriptor descriptor_;
    int collectionIndex_;
    int interfaceNumber_;
    int collectionNumber_;
};

}  // namespace halvorn::hid
