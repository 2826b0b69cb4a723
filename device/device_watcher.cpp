#include "device/device_watcher.h"

#include <condition_variable>

#include "app/message_ids.h"
#include "platform/trace/trace.h"

namespace halvorn {
namespace {

// Waits `period` or until the stop token is raised; false when it was.
bool Pause(std::stop_token stop, std::chrono::milliseconds period) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, period, [] { return false; });
    return !stop.stop_requested();
}

bool IsFree(const InterfaceSlot& slot) { return slot.occupied == 0 && slot.path.empty(); }

}  // namespace

DeviceWatcher::DeviceWatcher(hid::Backend& backend)
    : backend_(backend),
      probe_(backend),
      slots_(SupportedInterfaces().begin(), SupportedInterfaces().end()),
      attached_(kSupportedInterfaceCount, false) {}

DeviceWatcher::~DeviceWatcher() { Stop(); }

bool DeviceWatcher::Start(loop::MessageLoop& loop, loop::TargetId target) {
    if (running_.load()) return false;
    if (thread_.joinable()) thread_.join();  // ended by itself
    loop_ = &loop;
    target_ = target;
    enumerationFailing_ = false;
    running_.store(true);
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
    return true;
}

void DeviceWatcher::Stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

bool DeviceWatcher::Running() const { return running_.load(); }

std::vector<InterfaceSlot> DeviceWatcher::Slots() const {
    std::lock_guard lock(mutex_);
    return slots_;
}

std::optional<InterfaceSlot> DeviceWatcher::Slot(std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (index >= slots_.size()) return std::nullopt;
    return slots_[index];
}

bool DeviceWatcher::MarkFree(std::size_t index) {
    std::lock_guard lock(mutex_);
    if (index >= slots_.size()) return false;
    slots_[index].occupied = 0;
    slots_[index].path.clear();
    attached_[index] = false;
    return true;
}

bool DeviceWatcher::MarkAttached(std::size_t index, bool attached) {
    std::lock_guard lock(mutex_);
    if (index >= slots_.size() || (attached && IsFree(slots_[index]))) return false;
    attached_[index] = attached;
    return true;
}

bool DeviceWatcher::Attached(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < attached_.size() && attached_[index];
}

void DeviceWatcher::Run(std::stop_token stop) {
    bool firstPass = true;
    while (!stop.stop_requested()) {
        Outcome outcome = SearchFreeSlots(stop);
        if (firstPass && outcome == Outcome::kDone) {
            loop_->Post(target_, Registered().instance, 0, 0);
            firstPass = false;
        }
        if (outcome == Outcome::kDone) outcome = CheckOccupiedSlots(stop);
        if (outcome == Outcome::kUndelivered) {
            Trace("device watcher: the main window no longer takes reports");
            break;
        }
        if (outcome == Outcome::kStopped || !Pause(stop, kPassPeriod)) break;
    }
    probe_.Close();
    probe_.FreeHidPaths();
    Trace("抓取设备线程设定退出");
    running_.store(false);
}

DeviceWatcher::Outcome DeviceWatcher::SearchFreeSlots(std::stop_token stop) {
    if (!AnySlotFree()) return Outcome::kDone;
    if (!probe_.EnumerateHidPaths()) {
        // Tried again next pass: one failure must not end hot-plug for good.
        if (!enumerationFailing_) Trace("device watcher: HID enumeration failed");
        enumerationFailing_ = true;
        return Outcome::kDone;
    }
    enumerationFailing_ = false;
    Outcome outcome = Outcome::kDone;
    while (std::optional<std::string> path = probe_.NextHidPath()) {
        if (stop.stop_requested()) {
            outcome = Outcome::kStopped;
            break;
        }
        outcome = ProbeCandidate(*path, stop);
        if (outcome != Outcome::kDone) break;
    }
    probe_.FreeHidPaths();
    return outcome;
}

DeviceWatcher::Outcome DeviceWatcher::ProbeCandidate(const std::string& path,
                                                     std::stop_token stop) {
    const uint16_t interfaceNumber = HidChannel::PathInterfaceNumber(path);
    const uint16_t collectionNumber = HidChannel::PathCollectionNumber(path);
    if (!FreeSlotFits(HidChannel::PathVendorId(path), HidChannel::PathProductId(path),
                      interfaceNumber, collectionNumber)) {
        return Outcome::kDone;
    }
    // Read access, shared: the probe must not stand in the way of the
    // channels the main window opens on the same interface.
    if (!probe_.Open(path, true, false, true, false)) return Outcome::kDone;
    const hid::Attributes attributes = probe_.GetAttributes();
    const HidCaps caps = probe_.GetCaps();
    probe_.Close();

    std::optional<std::size_t> row =
        FindSupportedRow(attributes.vendorId, attributes.productId, interfaceNumber,
                         collectionNumber, caps.usagePage, caps.usage);
    if (!row) return Outcome::kDone;  // probed again next pass while a slot is free
    const InterfaceSlot& wanted = SupportedInterfaces()[*row];
    std::optional<std::size_t> claimed;
    {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (IsFree(slots_[i]) && slots_[i].SameInterface(wanted)) {
                slots_[i].occupied = 1;
                slots_[i].path = path;
                claimed = i;
                break;
            }
        }
    }
    if (!claimed) return Outcome::kDone;
    Outcome outcome = Report(message::kDeviceArrived, *claimed, stop);
    if (outcome != Outcome::kDone) {
        // Not handled: leave the slot as the window knows it, so that a new
        // start reports the arrival again.
        MarkFree(*claimed);
    }
    return outcome;
}

DeviceWatcher::Outcome DeviceWatcher::CheckOccupiedSlots(std::stop_token stop) {
    constexpr hid::OpenFlags kExistenceOnly{false, false, true, false};
    for (std::size_t i = 0; i < kSupportedInterfaceCount; ++i) {
        if (stop.stop_requested()) return Outcome::kStopped;
        InterfaceSlot bound;
        {
            std::lock_guard lock(mutex_);
            if (slots_[i].occupied == 0) continue;
            bound = slots_[i];
        }
        if (backend_.Open(bound.path, kExistenceOnly) != nullptr) continue;
        bool wasAttached = false;
        {
            std::lock_guard lock(mutex_);
            // The window may have freed it meanwhile; then it knows already.
            if (slots_[i].occupied == 0 || slots_[i].path != bound.path) continue;
            wasAttached = attached_[i];
            slots_[i].occupied = 0;
            slots_[i].path.clear();
            attached_[i] = false;
        }
        Outcome outcome = Report(message::kDeviceRemoved, i, stop);
        if (outcome != Outcome::kDone) {
            // Not handled: the window still holds the interface, and a new
            // start reports the removal again.
            std::lock_guard lock(mutex_);
            if (IsFree(slots_[i])) {
                slots_[i] = bound;
                attached_[i] = wasAttached;
            }
            return outcome;
        }
    }
    return Outcome::kDone;
}

DeviceWatcher::Outcome DeviceWatcher::Report(uint32_t message, std::size_t slot,
                                             std::stop_token stop) {
    std::optional<intptr_t> handled = loop_->Send(target_, message, slot, 0, stop);
    if (handled) return Outcome::kDone;
    return stop.stop_requested() ? Outcome::kStopped : Outcome::kUndelivered;
}

bool DeviceWatcher::AnySlotFree() const {
    std::lock_guard lock(mutex_);
    for (const InterfaceSlot& slot : slots_) {
        if (IsFree(slot)) return true;
    }
    return false;
}

bool DeviceWatcher::FreeSlotFits(uint16_t vendorId, uint16_t productId, uint16_t interfaceNumber,
                                 uint16_t collectionNumber) const {
    std::lock_guard lock(mutex_);
    for (const InterfaceSlot& slot : slots_) {
        if (IsFree(slot) && slot.vendorId == vendorId && slot.productId == productId &&
            slot.interfaceNumber == interfaceNumber && slot.collectionNumber == collectionNumber) {
            return true;
        }
    }
    return false;
}

}  // namespace halvorn
