// Attach and detach of a device's collections, and the switch of a paired
// device between its cable and its receiver.

#include <chrono>
#include <mutex>
#include <thread>

#include "app/device_list.h"
#include "app/device_option.h"
#include "device/supported_interfaces.h"
#include "platform/trace/trace.h"

namespace halvorn {
namespace {

bool IsReceiverKind(uint16_t kind) {
    return kind == device_kind::kMouseReceiver || kind == device_kind::kKeyboardReceiver;
}

bool IsCableKind(uint16_t kind) {
    return kind == device_kind::kKeyboard || kind == device_kind::kMouse;
}

bool IsKeyboardKind(uint16_t kind) {
    return kind == device_kind::kKeyboard || kind == device_kind::kKeyboardReceiver;
}

bool IsMouseKind(uint16_t kind) {
    return kind == device_kind::kMouse || kind == device_kind::kMouseReceiver;
}

constexpr auto kLinkQueryPause = std::chrono::milliseconds(50);

}  // namespace

bool DeviceList::AttachProtocol(const std::vector<InterfaceSlot>& slots, std::size_t s) {
    const InterfaceSlot& slot = slots[s];
    if (PartnerAttached(slots, s)) {
        // Already reachable through its other connection: the cable wins.
        if (IsCableKind(slot.kind)) SwitchConnection(slots, s);
        return IsCableKind(slot.kind);
    }
    const InterfaceSlot record = DeviceRecord(slots, s);
    COvantisUSBDevice* page = PageFor(record);
    if (page == nullptr) {
        Trace("no device page for " + slot.path);
        return false;
    }
    ReportProtocol& protocol = page->CommandProtocol();
    if (protocol.IsOpen()) return false;
    const bool receiver = IsReceiverKind(slot.kind);
    bool opened = false;
    {
        std::lock_guard lock(protocol.TransferLock());
        HidChannel& channel = receiver ? protocol.ReceiverChannel() : protocol.WiredChannel();
        channel.Close();
        opened = channel.Open(slot.path, true, true, true, false);
        if (opened) {
            protocol.SetOpen(true);
            if (receiver) {
                protocol.SetChannelMode(2);
            } else if (IsCableKind(slot.kind)) {
                protocol.SetChannelMode(1);
            }
            page->SetIdentity(record);
        }
    }
    if (!opened) {
        Trace("device channel not opened: " + slot.path);
        return false;
    }
    CDeviceOptionUI* entry = EntryOf(page);
    if (entry == nullptr) return true;
    // On the receiver the entry waits for the link check of the connect timer.
    if (!receiver) SelectOption(entry->OptionIndex(), true, VisibleEntryCount() == 0);
    page->StartDeviceTimer(device_timer::kConnect, CDeviceOptionUI::kConnectDelayMs);
    return true;
}

bool DeviceList::AttachInput(const std::vector<InterfaceSlot>& slots, std::size_t s) {
    const InterfaceSlot& slot = slots[s];
    const InterfaceSlot record = DeviceRecord(slots, s);
    for (COvantisUSBDevice* page : PagesOfKind(slot.kind)) {
        if (page->Identity().SameInterface(record)) {
            return page->AttachInputChannel(slot.path, slot.kind);
        }
    }
    Trace("no device page for the input collection " + slot.path);
    return false;
}

void DeviceList::OnDeviceRemoved(std::size_t s) {
    const std::vector<InterfaceSlot> slots = env_.watcher.Slots();
    if (s >= slots.size()) return;
    const InterfaceSlot& slot = slots[s];
    if (IsKeyboardKind(slot.kind)) Trace("删除一个键盘设备");
    if (IsMouseKind(slot.kind)) Trace("删除一个鼠标设备");
    if (slot.kind == device_kind::kMousePad) Trace("删除一个鼠标垫设备");

    if (slot.collectionRole == kRoleInput) {
        const InterfaceSlot record = DeviceRecord(slots, s);
        for (COvantisUSBDevice* page : PagesOfKind(slot.kind)) {
            if (page->Identity().SameInterface(record)) page->DetachInputChannel(slot.kind);
        }
        return;
    }
    DetachProtocol(slots, s);
}

void DeviceList::DetachProtocol(const std::vector<InterfaceSlot>& slots, std::size_t s) {
    const InterfaceSlot& slot = slots[s];
    if (IsKeyboardKind(slot.kind)) Trace("键盘设备丢失");
    if (IsMouseKind(slot.kind)) Trace("鼠标设备丢失");
    if (PartnerAttached(slots, s)) {
        // The cable went: the device goes on through its receiver. The
        // receiver went while on the cable: nothing changes.
        if (IsCableKind(slot.kind)) SwitchConnection(slots, s);
        return;
    }
    COvantisUSBDevice* page = PageFor(DeviceRecord(slots, s));
    if (page == nullptr) return;
    ReportProtocol& protocol = page->CommandProtocol();
    {
        std::lock_guard lock(protocol.TransferLock());
        protocol.SetOpen(false);
        protocol.WiredChannel().Close();
        if (IsKeyboardKind(slot.kind) || IsMouseKind(slot.kind)) protocol.ReceiverChannel().Close();
    }
    if (CDeviceOptionUI* entry = EntryOf(page)) DropOption(entry->OptionIndex());
}

void DeviceList::SwitchConnection(const std::vector<InterfaceSlot>& slots, std::size_t s) {
    const InterfaceSlot& slot = slots[s];
    if (slot.partner >= slots.size()) return;
    COvantisUSBDevice* page = PageFor(slot);
    if (page == nullptr) return;
    ReportProtocol& protocol = page->CommandProtocol();
    const bool toReceiver = !protocol.ReceiverMode();
    const std::string& path = toReceiver ? slots[slot.partner].path : slot.path;
    bool opened = false;
    {
        std::lock_guard lock(protocol.TransferLock());
        protocol.SetOpen(false);
        HidChannel& channel = toReceiver ? protocol.ReceiverChannel() : protocol.WiredChannel();
        channel.Close();
        opened = channel.Open(path, true, true, true, false);
        if (opened) {
            protocol.SetOpen(true);
            protocol.SetChannelMode(toReceiver ? 2 : 1);
        }
    }
    if (!opened) {
        Trace("device channel not opened: " + path);
        return;
    }
    CDeviceOptionUI* entry = EntryOf(page);
    if (toReceiver) {
        if (page->HasBattery()) {
            for (int attempt = 1; attempt <= kLinkQueryAttempts; ++attempt) {
                if (protocol.QueryReceiverLink()) break;
                std::this_thread::sleep_for(kLinkQueryPause);
                if (attempt < kLinkQueryAttempts) Trace("获取2.4G模式失败");
            }
            Trace("获取2");
            page->ReadPowerStatus();
        }
        page->StartDeviceTimer(device_timer::kReceiverLinkWatch,
                               CDeviceOptionUI::kLinkWatchFirstMs);
        return;
    }
    page->StartDeviceTimer(device_timer::kConnect, CDeviceOptionUI::kConnectDelayMs);
    if (entry != nullptr) RequestOption(entry->OptionIndex(), 1);
    if (page->HasBattery()) page->ReadPowerStatus();
}

}  // namespace halvorn
