#pragma once

// One opened HID interface (one top-level collection) over the HID seam:
// enumeration of interface paths, open by path, attributes and capabilities,
// transfers bounded by a timeout, and decoding of input reports.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/backend.h"

namespace halvorn {

// The capability record of the open collection, as the host HID library gives it.
struct HidCaps {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberOutputButtonCaps = 0;
    uint16_t numberOutputValueCaps = 0;
    uint16_t numberFeatureButtonCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
};

// One decoded control of a report.
struct HidItem {
    bool isButton = false;
    uint16_t usagePage = 0;
    hid::UsageStatus status = hid::UsageStatus::Success;
    uint8_t reportId = 0;
    bool dataSet = false;
    // Buttons: the usage range, how many usages may be active at once, and
    // the active ones of the last decode (0-terminated when fewer).
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint16_t maxUsages = 0;
    std::vector<uint16_t> usages;
    // Values.
    uint16_t usage = 0;
    uint32_t value = 0;
    int32_t scaledValue = 0;
};

class HidChannel {
public:
    explicit HidChannel(hid::Backend& backend);
    ~HidChannel();
    HidChannel(const HidChannel&) = delete;
    HidChannel& operator=(const HidChannel&) = delete;

    // Enumeration; the path list is independent of the open device.
    bool EnumerateHidPaths();
    std::optional<std::string> NextHidPath();
    void FreeHidPaths();
    std::size_t PathCount() const { return paths_.size(); }

    // Closes what is open, then opens `path`. False leaves the channel closed.
    bool Open(std::string_view path, bool read, bool write, bool overlapped, bool exclusive);
    // Ends a pending transfer at once (it returns 0), then closes. Any thread.
    void Close();
    bool IsOpen() const;

    // One report; 1 on success, 0 on failure, timeout or close. `transferred`
    // (optional) receives the byte count.
    int Read(std::span<uint8_t> buffer, std::size_t* transferred, int timeoutMs);
    int Write(std::span<const uint8_t> buffer, std::size_t* transferred, int timeoutMs);
    // An output report over the control pipe (the headset's light reports).
    int SetOutputReport(std::span<const uint8_t> report);

    // Decodes one input report into the input items. Not thread-safe with
    // Open: the thread that reads the channel decodes what it read.
    bool UnpackInputReport(std::span<const uint8_t> report);
    const std::vector<HidItem>& InputItems() const { return items_[0]; }
    const std::vector<HidItem>& OutputItems() const { return items_[1]; }
    const std::vector<HidItem>& FeatureItems() const { return items_[2]; }
    // The first usage the last decode found (a value item's usage value, or
    // a button item's first active usage); 0 when none.
    uint32_t FirstUsageValue() const;

    hid::Attributes GetAttributes() const { return attributes_; }
    const HidCaps& GetCaps() const { return caps_; }
    int InterfaceNumber() const { return interfaceNumber_; }
    int CollectionNumber() const { return collectionNumber_; }
    const std::string& Path() const { return path_; }
    bool ReadPending() const { return readPending_.load(); }
    bool WritePending() const { return writePending_.load(); }

    static uint16_t PathVendorId(std::string_view path);
    static uint16_t PathProductId(std::string_view path);
    static uint16_t PathInterfaceNumber(std::string_view path);
    static uint16_t PathCollectionNumber(std::string_view path);

private:
    std::shared_ptr<hid::Device> CurrentDevice() const;
    template <typename Transfer>
    int RunTransfer(std::atomic<bool>& pendingFlag, std::size_t* transferred, Transfer&& transfer);
    void BuildItems(const hid::CollectionCaps& caps);

    hid::Backend& backend_;
    std::vector<std::string> paths_;
    std::size_t cursor_ = 0;

    mutable std::mutex deviceMutex_;  // guards device_ itself, never held during a transfer
    std::shared_ptr<hid::Device> device_;

    bool readAccess_ = false;
    bool writeAccess_ = false;
    bool overlapped_ = false;
    bool exclusive_ = false;
    std::string path_;
    hid::Attributes attributes_;
    HidCaps caps_;
    hid::CollectionCaps collection_;
    std::vector<HidItem> items_[3];
    int interfaceNumber_ = 0;
    int collectionNumber_ = 0;
    std::atomic<bool> readPending_{false};
    std::atomic<bool> writePending_{false};
};

}  // namespace halvorn
