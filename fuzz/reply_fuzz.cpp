// Replies of any length and content, fed to every protocol operation: no
// crash, no read past a buffer, no hang.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "device/report_protocol.h"

namespace {

using namespace halvorn;

// A device whose input reports are slices of the fuzz input.
class ScriptedDevice : public hid::Device {
public:
    ScriptedDevice(const uint8_t* data, std::size_t size) : data_(data), size_(size) {
        caps_.usagePage = 0xFF1C;
        caps_.usage = 0x92;
    }
    const hid::Attributes& GetAttributes() const override { return attributes_; }
    const hid::CollectionCaps& Caps() const override { return caps_; }
    int InterfaceNumber() const override { return 1; }
    int CollectionNumber() const override { return 4; }

    hid::IoStatus Read(std::span<uint8_t> buffer, std::size_t& n, int) override {
        n = 0;
        if (pos_ >= size_) return hid::IoStatus::Timeout;
        // One byte says how long the next report is.
        std::size_t length = data_[pos_++];
        length = std::min({length, size_ - pos_, buffer.size()});
        std::copy_n(data_ + pos_, length, buffer.begin());
        pos_ += length;
        n = length;
        return hid::IoStatus::Ok;
    }
    hid::IoStatus Write(std::span<const uint8_t> report, std::size_t& n, int) override {
        n = report.size();
        return hid::IoStatus::Ok;
    }
    hid::IoStatus SetOutputReport(std::span<const uint8_t>) override { return hid::IoStatus::Ok; }
    void Abort() override {}

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    hid::Attributes attributes_{0x3A17, 0x6E21, 1};
    hid::CollectionCaps caps_;
};

class ScriptedBackend : public hid::Backend {
public:
    ScriptedBackend(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Enumerate(std::vector<hid::InterfaceInfo>&) override { return true; }
    std::unique_ptr<hid::Device> Open(std::string_view, const hid::OpenFlags&) override {
        return std::make_unique<ScriptedDevice>(data_, size_);
    }

private:
    const uint8_t* data_;
    std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool receiver = data[0] & 1;
    const uint16_t dataLength = static_cast<uint16_t>(data[1] * 2 + 1);
    ScriptedBackend backend(data + 2, size - 2);
    ReportProtocol protocol(backend);
    HidChannel& channel = receiver ? protocol.ReceiverChannel() : protocol.WiredChannel();
    if (!channel.Open("fuzz:device#vid_3a17&pid_6e21&mi_01&col04", true, true, true, false)) {
        return 0;
    }
    protocol.SetOpen(true);
    protocol.SetChannelMode(receiver ? 2 : 1);
    protocol.SetDataLength(dataLength);

    std::array<uint8_t, ReportProtocol::kInfoSize> info{};
    protocol.ReadDeviceInfo(info);
    std::vector<uint8_t> memory(26);
    protocol.ReadMemory(memory, 25);
    std::vector<uint8_t> table(ReportProtocol::kMaxDataLength);
    protocol.ReadKeyTable(table);
    protocol.ReadKeyAuxTable(table);
    std::array<uint8_t, 6> power{};
    protocol.ReadPowerBlock(power, 0);
    protocol.QueryReceiverLink();
    protocol.WriteMemory(memory, 0);
    protocol.StreamLightData(table);
    return 0;
}
