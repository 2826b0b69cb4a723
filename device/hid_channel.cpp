#include "device/hid_channel.h"

#include <algorithm>

#include "platform/hid/interface_path.h"

namespace halvorn {
namespace {

// Clears a pending flag however the transfer ends.
class PendingScope {
public:
    explicit PendingScope(std::atomic<bool>& flag) : flag_(flag) { flag_.store(true); }
    ~PendingScope() { flag_.store(false); }
    PendingScope(const PendingScope&) = delete;
    PendingScope& operator=(const PendingScope&) = delete;

private:
    std::atomic<bool>& flag_;
};

constexpr std::size_t kMaxPathLength = 259;

// One item per usage of a value capability, bounded so that a hostile
// descriptor with a 65536-usage range cannot make us allocate without end.
uint32_t LastItemUsage(const hid::ValueCap& cap) {
    constexpr uint32_t kMaxItemsPerCap = 1024;
    return std::min<uint32_t>(cap.usageMax, cap.usageMin + kMaxItemsPerCap - 1);
}

}  // namespace

HidChannel::HidChannel(hid::Backend& backend) : backend_(backend) {}

HidChannel::~HidChannel() {
    Close();
    FreeHidPaths();
}

bool HidChannel::EnumerateHidPaths() {
    std::vector<hid::InterfaceInfo> found;
    if (!backend_.Enumerate(found)) return false;
    paths_.clear();
    paths_.reserve(found.size());
    for (hid::InterfaceInfo& info : found) paths_.push_back(std::move(info.path));
    cursor_ = 0;
    return true;
}

std::optional<std::string> HidChannel::NextHidPath() {
    if (cursor_ >= paths_.size()) return std::nullopt;
    return paths_[cursor_++];
}

void HidChannel::FreeHidPaths() {
    paths_.clear();
    paths_.shrink_to_fit();
    cursor_ = 0;
}

bool HidChannel::Open(std::string_view path, bool read, bool write, bool overlapped,
                      bool exclusive) {
    Close();
    readAccess_ = read;
    writeAccess_ = write;
    overlapped_ = overlapped;
    exclusive_ = exclusive;
    // Longer paths than the system ever produces are refused rather than cut:
    // a cut path could name another interface.
    if (path.size() > kMaxPathLength) return false;
    path_ = std::string(path);

    std::unique_ptr<hid::Device> opened =
        backend_.Open(path, hid::OpenFlags{read, write, overlapped, exclusive});
    if (!opened) {
        path_.clear();
        return false;
    }
    attributes_ = opened->GetAttributes();
    collection_ = opened->Caps();
    caps_ = HidCaps{};
    caps_.usage = collection_.usage;
    caps_.usagePage = collection_.usagePage;
    caps_.inputReportByteLength = collection_.ReportLength(hid::ReportKind::Input);
    caps_.outputReportByteLength = collection_.ReportLength(hid::ReportKind::Output);
    caps_.featureReportByteLength = collection_.ReportLength(hid::ReportKind::Feature);
    caps_.numberInputButtonCaps =
        static_cast<uint16_t>(collection_.Buttons(hid::ReportKind::Input).size());
    caps_.numberInputValueCaps =
        static_cast<uint16_t>(collection_.Values(hid::ReportKind::Input).size());
    caps_.numberOutputButtonCaps =
        static_cast<uint16_t>(collection_.Buttons(hid::ReportKind::Output).size());
    caps_.numberOutputValueCaps =
        static_cast<uint16_t>(collection_.Values(hid::ReportKind::Output).size());
    caps_.numberFeatureButtonCaps =
        static_cast<uint16_t>(collection_.Buttons(hid::ReportKind::Feature).size());
    caps_.numberFeatureValueCaps =
        static_cast<uint16_t>(collection_.Values(hid::ReportKind::Feature).size());
    BuildItems(collection_);
    interfaceNumber_ = PathInterfaceNumber(path_);
    collectionNumber_ = PathCollectionNumber(path_);

    std::lock_guard lock(deviceMutex_);
    device_ = std::move(opened);
    return true;
}

void HidChannel::BuildItems(const hid::CollectionCaps& caps) {
    for (std::size_t kind = 0; kind < hid::kReportKindCount; ++kind) {
        std::vector<HidItem>& items = items_[kind];
        items.clear();
        for (const hid::ButtonCap& cap : caps.buttonCaps[kind]) {
            HidItem item;
            item.isButton = true;
            item.usagePage = cap.usagePage;
            item.reportId = cap.layout.reportId;
            item.usageMin = cap.usageMin;
            item.usageMax = cap.usageMax;
            item.maxUsages = static_cast<uint16_t>(hid::MaxActiveUsages(cap));
            item.usages.assign(item.maxUsages, 0);
            items.push_back(std::move(item));
        }
        for (const hid::ValueCap& cap : caps.valueCaps[kind]) {
            for (uint32_t usage = cap.usageMin; usage <= LastItemUsage(cap); ++usage) {
                HidItem item;
                item.usagePage = cap.usagePage;
                item.reportId = cap.layout.reportId;
                item.usage = static_cast<uint16_t>(usage);
                items.push_back(std::move(item));
            }
        }
    }
}

void HidChannel::Close() {
    std::shared_ptr<hid::Device> device;
    {
        std::lock_guard lock(deviceMutex_);
        device = std::move(device_);
    }
    if (!device) return;
    // A transfer still waiting holds its own reference: the abort ends its
    // wait at once and the descriptor closes when the last reference goes.
    device->Abort();
}

bool HidChannel::IsOpen() const {
    std::lock_guard lock(deviceMutex_);
    return device_ != nullptr;
}

std::shared_ptr<hid::Device> HidChannel::CurrentDevice() const {
    std::lock_guard lock(deviceMutex_);
    return device_;
}

template <typename Transfer>
int HidChannel::RunTransfer(std::atomic<bool>& pendingFlag, std::size_t* transferred,
                            Transfer&& transfer) {
    if (transferred) *transferred = 0;
    // Our own reference: a Close meanwhile aborts the wait but frees nothing under it.
    std::shared_ptr<hid::Device> device = CurrentDevice();
    if (!device) return 0;
    PendingScope pending(pendingFlag);
    std::size_t n = 0;
    const hid::IoStatus status = transfer(*device, n);
    if (transferred) *transferred = n;
    return status == hid::IoStatus::Ok ? 1 : 0;
}

int HidChannel::Read(std::span<uint8_t> buffer, std::size_t* transferred, int timeoutMs) {
    return RunTransfer(readPending_, transferred, [&](hid::Device& device, std::size_t& n) {
        return device.Read(buffer, n, timeoutMs);
    });
}

int HidChannel::Write(std::span<const uint8_t> buffer, std::size_t* transferred, int timeoutMs) {
    return RunTransfer(writePending_, transferred, [&](hid::Device& device, std::size_t& n) {
        return device.Write(buffer, n, timeoutMs);
    });
}

int HidChannel::SetOutputReport(std::span<const uint8_t> report) {
    return RunTransfer(writePending_, nullptr, [&](hid::Device& device, std::size_t& n) {
        n = report.size();
        return device.SetOutputReport(report);
    });
}

bool HidChannel::UnpackInputReport(std::span<const uint8_t> report) {
    if (report.empty()) return false;
    const uint8_t reportId = report[0];
    const auto& buttonCaps = collection_.Buttons(hid::ReportKind::Input);
    const auto& valueCaps = collection_.Values(hid::ReportKind::Input);
    std::vector<HidItem>& items = items_[0];

    // Items were built buttons first, then one per usage of each value cap.
    std::size_t index = 0;
    for (const hid::ButtonCap& cap : buttonCaps) {
        HidItem& item = items[index++];
        if (item.reportId != reportId) continue;
        std::vector<uint16_t> active;
        item.status = hid::ActiveUsages(cap, report, active);
        // Keep in order only the usages of the item's own page range.
        std::size_t kept = 0;
        std::fill(item.usages.begin(), item.usages.end(), 0);
        for (uint16_t usage : active) {
            if (usage < item.usageMin || usage > item.usageMax) continue;
            if (kept == item.usages.size()) break;
            item.usages[kept++] = usage;
        }
        item.dataSet = true;
        if (item.status != hid::UsageStatus::Success) return false;
    }
    for (const hid::ValueCap& cap : valueCaps) {
        for (uint32_t usage = cap.usageMin; usage <= LastItemUsage(cap); ++usage) {
            HidItem& item = items[index++];
            if (item.reportId != reportId) continue;
            item.dataSet = true;
            item.status = hid::UsageValue(cap, item.usage, report, item.value);
            if (item.status != hid::UsageStatus::Success) return false;
            item.status = hid::ScaledUsageValue(cap, item.usage, report, item.scaledValue);
        }
    }
    return true;
}

uint32_t HidChannel::FirstUsageValue() const {
    for (const HidItem& item : items_[0]) {
        if (!item.dataSet || item.status != hid::UsageStatus::Success) continue;
        if (item.isButton) {
            if (!item.usages.empty() && item.usages[0] != 0) return item.usages[0];
        } else {
            return item.value;
        }
    }
    return 0;
}

uint16_t HidChannel::PathVendorId(std::string_view path) { return hid::PathVendorId(path); }
uint16_t HidChannel::PathProductId(std::string_view path) { return hid::PathProductId(path); }
uint16_t HidChannel::PathInterfaceNumber(std::string_view path) {
    return hid::PathInterfaceNumber(path);
}
uint16_t HidChannel::PathCollectionNumber(std::string_view path) {
    return hid::PathCollectionNumber(path);
}

}  // namespace halvorn
